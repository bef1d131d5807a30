#include "data/files.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

TEST(FileReadAll, WholeFileWithTerminator)
{
    const std::string path = "files_test_" + std::to_string(getpid());
    ASSERT_EQ(file_write_all(path.c_str(), "abc\0def", 7), 0);
    unsigned char* buf = nullptr;
    ASSERT_EQ(file_read_all(path.c_str(), &buf), 7);
    EXPECT_EQ(std::memcmp(buf, "abc\0def", 7), 0);
    EXPECT_EQ(buf[7], 0);
    std::free(buf);

    ASSERT_EQ(file_write_all(path.c_str(), "", 0), 0);
    ASSERT_EQ(file_read_all(path.c_str(), &buf), 0);
    EXPECT_EQ(buf[0], 0);
    std::free(buf);
    unlink(path.c_str());
}

TEST(FileReadAll, MissingFileAndDirectory)
{
    unsigned char* buf = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(file_read_all("no/such/file", &buf), -1);
    EXPECT_EQ(buf, nullptr);
    EXPECT_LE(file_read_all(".", &buf), 0);
    EXPECT_EQ(buf, nullptr);
}

TEST(FileWriteAll, UnwritablePath)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(file_write_all("no/such/dir/file", "x", 1), -1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Error opening no/such/dir/file: "),
              std::string::npos);
}

TEST(NextField, SplitsOnBlanksNewlinesAndCommas)
{
    char line[] = "  -rw-r--r-- root/root\t 1234 a,b\tc\n";
    char* cursor = line;
    EXPECT_STREQ(next_field(&cursor), "-rw-r--r--");
    EXPECT_STREQ(next_field(&cursor), "root/root\t"); // a tab belongs to its field
    EXPECT_STREQ(next_field(&cursor), "1234");
    EXPECT_STREQ(next_field(&cursor), "a");
    EXPECT_STREQ(next_field(&cursor), "b\tc");
    EXPECT_EQ(next_field(&cursor), nullptr);
    EXPECT_EQ(next_field(&cursor), nullptr);
}

} // namespace
