// Tar members read through the real tar command, from archives that the test makes.
#include "data/files.h"
#include "gfx2d/pcx.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs a command given as an argument vector (no shell); true when it exits 0.
bool run(std::initializer_list<const char*> args, const char* dir)
{
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir) != 0) _exit(126);
        execvp(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class Archive : public ::testing::Test {
  protected:
    std::string dir;
    std::string tar_path, tgz_path;

    void SetUp() override
    {
        char tmpl[] = "/tmp/vantor-archive-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(mkdir((dir + "/src").c_str(), 0777), 0);
        ASSERT_EQ(mkdir((dir + "/src/grafika").c_str(), 0777), 0);
        put("grafika/dream.pcx", std::string(3000, 'd'));
        put("grafika/with blank.pcx", "blank");
        put("grafika/semi;touch${IFS}pwned;.pcx", "semicolon");
        put("grafika/empty.pcx", "");
        put("-dash.pcx", "dash");
        tar_path = dir + "/data.tar";
        tgz_path = dir + "/data.tgz";
        const std::string src = dir + "/src";
        const char* members[] = {"grafika/dream.pcx", "grafika/with blank.pcx",
                                 "grafika/semi;touch${IFS}pwned;.pcx", "grafika/empty.pcx",
                                 "./-dash.pcx"};
        for (const std::string* out : {&tar_path, &tgz_path}) {
            const char* flags = out == &tgz_path ? "-czf" : "-cf";
            ASSERT_TRUE(run({"tar", flags, out->c_str(), members[0], members[1], members[2],
                             members[3], members[4]},
                            src.c_str()));
        }
    }
    void TearDown() override { run({"rm", "-rf", dir.c_str()}, "/"); }

    void put(const std::string& name, const std::string& text)
    {
        std::ofstream(dir + "/src/" + name, std::ios::binary) << text;
    }
    std::string member(const std::string& archive, const char* name)
    {
        unsigned char* buf = nullptr;
        const long n = archive_read_member(archive.c_str(), name, &buf);
        if (n <= 0) return "<none>";
        std::string s(reinterpret_cast<char*>(buf), size_t(n));
        std::free(buf);
        return s;
    }
};

TEST_F(Archive, PlainAndGzipMembersAreRead)
{
    for (const std::string& a : {tar_path, tgz_path}) {
        EXPECT_EQ(archive_member_size(a.c_str(), "grafika/dream.pcx"), 3000) << a;
        EXPECT_EQ(member(a, "grafika/dream.pcx"), std::string(3000, 'd')) << a;
    }
}

TEST_F(Archive, NamesWithShellCharactersAreOnlyNames)
{
    for (const std::string& a : {tar_path, tgz_path}) {
        EXPECT_EQ(member(a, "grafika/semi;touch${IFS}pwned;.pcx"), "semicolon");
        // The listing splits at blanks: such a member can't be found.
        EXPECT_EQ(member(a, "grafika/with blank.pcx"), "<none>");
        EXPECT_EQ(archive_member_size(a.c_str(), "grafika/with blank.pcx"), 0);
    }
    // Nothing was run through a shell.
    struct stat st;
    EXPECT_NE(stat((dir + "/src/pwned").c_str(), &st), 0);
    EXPECT_NE(stat("pwned", &st), 0);

    // An archive name with shell syntax is just a file that does not exist.
    const std::string evil = dir + "/x$(touch " + dir + "/owned).tar";
    EXPECT_EQ(archive_member_size(evil.c_str(), "grafika/dream.pcx"), 0);
    EXPECT_NE(stat((dir + "/owned").c_str(), &st), 0);
}

TEST_F(Archive, MissingEmptyAndUnlistedMembers)
{
    EXPECT_EQ(member(tar_path, "grafika/empty.pcx"), "<none>");
    EXPECT_EQ(member(tar_path, "grafika/nothing.pcx"), "<none>");
    EXPECT_EQ(member(tar_path, "./grafika/dream.pcx"), "<none>"); // names match exactly
    EXPECT_EQ(member(tar_path, "./-dash.pcx"), "dash");
}

TEST_F(Archive, KindComesFromTheNameAlone)
{
    EXPECT_EQ(archive_member_size(nullptr, "grafika/dream.pcx"), 0);
    EXPECT_EQ(archive_member_size("a.tar.gz", "grafika/dream.pcx"), 0);
    EXPECT_EQ(archive_member_size(".tar", "grafika/dream.pcx"), 0); // 4 characters
    EXPECT_EQ(archive_member_size((dir + "/data.TAR").c_str(), "grafika/dream.pcx"), 0);
}

TEST_F(Archive, OverlongCommandsAreRefused)
{
    const std::string long_member(250, 'm');
    unsigned char* buf = nullptr;
    EXPECT_EQ(archive_read_member(tar_path.c_str(), long_member.c_str(), &buf), 0);
    EXPECT_EQ(buf, nullptr);
    const std::string long_archive = dir + "/" + std::string(250, 'a') + ".tar";
    EXPECT_EQ(archive_member_size(long_archive.c_str(), "x"), 0);
}

TEST_F(Archive, SelectedArchiveFeedsThePictureReader)
{
    Image* img;
    uint8_t pal[768];
    for (int i = 0; i < 768; i++) pal[i] = uint8_t(i);
    ASSERT_EQ(image_create(&img, 4, 2), 0);
    img->pixels[3] = 200;
    ASSERT_EQ(pcx_write((dir + "/src/grafika/pic.pcx").c_str(), img, pal), PCX_OK);
    image_destroy(&img);
    ASSERT_TRUE(run({"tar", "-czf", "pics.tgz", "grafika/pic.pcx"}, (dir + "/src").c_str()));

    const std::string name = dir + "/src/pics.tgz";
    ASSERT_STREQ(archive_select(name.c_str()), name.c_str());
    EXPECT_STREQ(archive_selected(), name.c_str());
    Image* back = nullptr;
    testing::internal::CaptureStdout();
    const int result = pcx_load_image("grafika/pic.pcx", &back, nullptr);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, PCX_OK);
    EXPECT_EQ(back->width, 4u);
    EXPECT_EQ(back->pixels[3], 200);
    image_destroy(&back);

    // No name, or an empty one, selects no archive.
    EXPECT_EQ(archive_select(""), nullptr);
    EXPECT_EQ(archive_selected(), nullptr);
    archive_select(name.c_str());
    EXPECT_EQ(archive_select(nullptr), nullptr);
    EXPECT_EQ(archive_selected(), nullptr);
}

} // namespace
