// Replays stored inputs through a harness in the ordinary test build, where libFuzzer is not
// linked: every regular file of each directory named on the command line (or a file named
// there) goes once through LLVMFuzzerTestOneInput. A harness check that fails aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(const std::filesystem::path& root)
{
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_regular_file(root)) {
        files.push_back(root);
        return files;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        // Dot files keep otherwise empty folders in git; they are not inputs.
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root = argv[i];
        if (!std::filesystem::exists(root)) {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 1;
        }
        for (const auto& file : Inputs(root)) {
            std::ifstream stream(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(stream), {}};
            if (!stream.good() && !stream.eof()) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            std::fprintf(stderr, "replaying %s\n", file.c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    // A harness whose stored inputs all went missing would otherwise pass unnoticed.
    return replayed > 0 ? 0 : 1;
}
