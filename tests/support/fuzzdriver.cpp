// Replay driver for fuzz targets when libFuzzer is not in use: feeds the target a
// fixed, seeded run of random inputs and of mutations of the files named on the
// command line, so the target runs in the ordinary test suite.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static std::vector<uint8_t> readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int main(int argc, char **argv)
{
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 2; i < argc; ++i)
        seeds.push_back(readFile(argv[i]));
    seeds.push_back({});

    std::mt19937 rng(12345);
    // Small alphabets reach the parsers' interesting states far more often than bytes do.
    const std::string alphabet = "#0123456789\r\n\t ,.-:abcdefghijklmnopqrstuvwxyz";
    for (long run = 0; run < runs; ++run) {
        std::vector<uint8_t> input = seeds[run % seeds.size()];
        const int edits = 1 + int(rng() % 16);
        for (int e = 0; e < edits; ++e) {
            const uint8_t byte = (rng() % 2) ? uint8_t(alphabet[rng() % alphabet.size()]) : uint8_t(rng());
            const size_t pos = input.empty() ? 0 : rng() % (input.size() + 1);
            switch (rng() % 3) {
            case 0: input.insert(input.begin() + long(pos), byte); break;
            case 1: if (pos < input.size()) input[pos] = byte; break;
            default: if (pos < input.size()) input.erase(input.begin() + long(pos)); break;
            }
        }
        if (rng() % 8 == 0)
            input.resize(rng() % 4096, uint8_t(rng()));
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
