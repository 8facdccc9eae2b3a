// Writes data/library-generators.csv, the supplied generators of a new program
// folder: every curve of the published turbine library (data/turbines), named by
// data/turbine-names.csv, reduced to a generator record. Prints each turbine's
// largest energy error; writes nothing and exits non-zero when a curve cannot be
// read or reduced within the allowed error.
//
//     make-generator-table [PROJECT_FOLDER]
#include <cstdio>
#include <filesystem>
#include <string>

#include <fmt/format.h>

#include "core/WholeFile.h"
#include "power/LibraryGenerators.h"

namespace fs = std::filesystem;
using namespace skyloom;

int main(int argc, char** argv) {
    const fs::path project = argc > 1 ? fs::path(argv[1]) : fs::path(SKYLOOM_SOURCE_DIR);
    const fs::path table = project / "data" / "library-generators.csv";
    try {
        const auto generators = power::buildLibraryGenerators(project / "data");
        const std::string text = power::libraryTableText(generators);
        core::writeFileWhole(table, text);
        double worst = 0;
        for (const auto& g : generators) {
            fmt::print("{:<48} {:>7.3f} %\n", g.info.name, g.info.largestError * 100);
            worst = std::max(worst, g.info.largestError);
        }
        fmt::print("{} generators written to {}; largest energy error {:.3f} %\n", generators.size(), table.string(),
                   worst * 100);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-generator-table: %s\n", e.what());
        return 1;
    }
    return 0;
}
