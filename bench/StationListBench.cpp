// The station list import of a large list (26 MB of "<OPTION>" lines with bare
// line feeds): read, checked, kept as "Stations.txt" and put in the station table.
#include <benchmark/benchmark.h>

#include <string>

#include "TempFolder.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "session/ProgramFolder.h"
#include "session/StationListImport.h"

using namespace skyloom;

namespace {

void BM_ImportStationList26MB(benchmark::State& state) {
    test::TempFolder tmp;
    core::SilentPrompter quiet;
    core::NullProgress progress;
    session::initProgramFolder(tmp.dir(), quiet, progress);
    std::string big;
    big.reserve(27'000'000);
    for (long i = 0; big.size() < 26'000'000; ++i)
        big += "<OPTION>X" + std::to_string(i % 10000) + " 0 " + std::to_string(10001 + i % 89999) +
               " 12.5 -45.25 100 Station number " + std::to_string(i) + "                MB XX\n";
    test::writeFile(tmp / "big.txt", big);
    core::MainDatabase db(tmp.dir());
    db.open(quiet);
    for (auto _ : state) {
        const int n = session::importStationListFrom(db, (tmp / "big.txt").string(), quiet);
        if (n < 300'000) state.SkipWithError("the list was not imported");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(big.size()));
}
BENCHMARK(BM_ImportStationList26MB)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);

}  // namespace
