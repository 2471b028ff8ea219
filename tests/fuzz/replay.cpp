// Replays a fuzz target's corpus as a plain test, in every build: each file
// given is one input to LLVMFuzzerTestOneInput, which traps on a fault.
//   replay FILE...
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    if (argc < 2) return 1;  // an empty corpus proves nothing
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) return 1;
        const std::vector<std::uint8_t> input{std::istreambuf_iterator<char>(file), {}};
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%d inputs replayed\n", argc - 1);
    return 0;
}
