// Runs a fuzz target over files, without libFuzzer: how the corpus and every case a fuzzer
// ever found are replayed by the ordinary test run.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int files = 0;
    for (int i = 1; i < argc; i++) {
        std::error_code error;
        const std::filesystem::path root = argv[i];
        std::vector<std::filesystem::path> paths;
        if (std::filesystem::is_directory(root, error)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
                if (entry.is_regular_file()) paths.push_back(entry.path());
        } else {
            paths.push_back(root);
        }
        for (const auto& path : paths) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            files++;
        }
    }
    std::printf("replayed %d files\n", files);
    return files > 0 ? 0 : 1;
}
