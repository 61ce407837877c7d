// vesplot_gen: writes a generated survey file.
//   vesplot_gen dat|ves ROWS SEED OUTPUT
//   vesplot_gen line STATIONS SEED OUTPUT [NOISE]   (a survey line as a column file; NOISE: the
//   resistivities' relative noise, default 0.01)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "SurveyGenerator.h"

int main(int argc, char** argv) {
    const std::string kind = argc == 5 || (argc == 6 && std::string(argv[1]) == "line") ? argv[1] : "";
    if (kind != "dat" && kind != "ves" && kind != "line") {
        std::fprintf(stderr, "usage: vesplot_gen dat|ves ROWS SEED OUTPUT\n"
                             "       vesplot_gen line STATIONS SEED OUTPUT [NOISE]\n");
        return 2;
    }
    const auto rows = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const std::string text = kind == "dat" ? generateColumnFile(rows, seed)
                             : kind == "ves"
                                 ? generateTaggedFile(rows, seed)
                                 : columnFileOf(generateSurveyLine(static_cast<int>(rows), seed,
                                                                   argc == 6 ? std::atof(argv[5]) : 0.01));
    std::ofstream out(argv[4], std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return out ? 0 : 1;
}
