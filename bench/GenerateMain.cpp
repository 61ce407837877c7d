// vesplot_gen: writes a generated survey file.
//   vesplot_gen dat|ves ROWS SEED OUTPUT
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "SurveyGenerator.h"

int main(int argc, char** argv) {
    if (argc != 5 || (std::string(argv[1]) != "dat" && std::string(argv[1]) != "ves")) {
        std::fprintf(stderr, "usage: vesplot_gen dat|ves ROWS SEED OUTPUT\n");
        return 2;
    }
    const auto rows = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const std::string text =
        std::string(argv[1]) == "dat" ? generateColumnFile(rows, seed) : generateTaggedFile(rows, seed);
    std::ofstream out(argv[4], std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out ? 0 : 1;
}
