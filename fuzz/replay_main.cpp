// Stands in for libFuzzer in ordinary builds: runs the target once over every
// file named on the command line, or in a folder named there (files whose
// names start with '.' are skipped). A violated invariant aborts the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void runFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t ran = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path place(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(place)) {
            for (const auto& entry : std::filesystem::directory_iterator(place)) {
                if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                    files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(place)) {
            files.push_back(place);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
        for (const auto& file : files) runFile(file);
        ran += files.size();
    }
    std::printf("%zu inputs ran\n", ran);
    // A target that is given nothing to run checks nothing: fail loudly.
    return ran > 0 ? 0 : 1;
}
