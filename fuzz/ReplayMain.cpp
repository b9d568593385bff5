// The plain driver of a fuzz target: feeds files to its LLVMFuzzerTestOneInput
// without libFuzzer, so that every corpus runs in the tests (under the
// sanitizers, with any compiler). A folder gives each file in it, in name
// order. A folder without files or a file that cannot be read is an error, so
// that a corpus cannot quietly go missing.
//   fuzz-<name>-replay FILE-OR-FOLDER...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool run(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::filesystem::path path = argv[i];
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
                if (entry.is_regular_file() && entry.path().filename() != "README.md") {
                    files.push_back(entry.path());
                }
            }
            if (files.empty()) {
                std::fprintf(stderr, "%s: no inputs in the folder\n", argv[i]);
                return 1;
            }
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(path, error)) {
            files.push_back(path);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
        for (const auto& file : files) {
            if (!run(file)) {
                return 1;
            }
            ++inputs;
        }
    }
    std::printf("%d inputs ran\n", inputs);
    return 0;
}
