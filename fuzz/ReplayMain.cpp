// Runs a fuzz target over saved inputs, for the ordinary build and its tests: every file of
// every folder named on the command line, in name order. A missing folder holds nothing;
// finding no input at all fails, so that a lost corpus does not pass unnoticed. An input that
// breaks the target aborts, as it would under the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(argv[i], error)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
            if (in.bad()) {
                std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
                return 1;
            }
            std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
            // Like the fuzzer, never hand over a null pointer, not even for an empty input.
            const std::uint8_t none = 0;
            LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "no input found\n");
        return 1;
    }
    std::fprintf(stderr, "%zu inputs replayed\n", replayed);
    return 0;
}
