// Start-up with a large station list and many data files: open the main
// database, check the data folder against havedata, read the settings and load
// the station index.
#include <benchmark/benchmark.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;

namespace {

struct Folder {
    test::TempFolder tmp;
    Folder(int stations, int files) {
        core::SilentPrompter quiet;
        core::NullProgress progress;
        session::initProgramFolder(tmp.dir(), quiet, progress);
        core::MainDatabase db(tmp.dir());
        db.open(quiet);
        SQLite::Transaction tx(db.db());
        db.db().exec("DELETE FROM stations");
        SQLite::Statement ins(db.db(),
                              "INSERT INTO stations (wmo, init, stationname, province, country, lat, lon, elev) "
                              "VALUES (?, 'XXXX', ?, '--', 'US', ?, ?, 100)");
        for (int i = 0; i < stations; ++i) {
            ins.reset();
            ins.bind(1, 10000 + i);
            ins.bind(2, "Station " + std::to_string(i));
            ins.bind(3, -60.0 + (i % 150));
            ins.bind(4, -180.0 + (i * 7) % 360);
            ins.exec();
        }
        tx.commit();
        for (int i = 0; i < files; ++i) {
            const std::string path = tmp.dir() + "data/" + std::to_string(10000 + i * 10) + ".dat";
            sounding::StationDataFile::createEmpty(path);
            SQLite::Database f = core::openGuardedDatabase(path, false);
            f.exec("INSERT INTO stations (wmo) VALUES (" + std::to_string(10000 + i * 10) + ")");
            f.exec("INSERT INTO HaveData (wmo, FromDate, ToDate, NumSoundings) VALUES (" +
                   std::to_string(10000 + i * 10) + ", '2000-01-01', '2009-12-31', 7300)");
        }
        session::Session s(tmp.dir(), quiet);
        s.startUp();  // the first start builds havedata
    }
};

void BM_StartUp(benchmark::State& state) {
    const int stations = static_cast<int>(state.range(0));
    Folder folder(stations, 100);
    core::SilentPrompter quiet;
    for (auto _ : state) {
        session::Session s(folder.tmp.dir(), quiet);
        auto r = s.startUp();
        benchmark::DoNotOptimize(r);
        if (s.stations().stations().size() != static_cast<std::size_t>(stations))
            state.SkipWithError("station index incomplete");
    }
}
// The default list (about 1,000 stations) and the whole IGRA list's size.
BENCHMARK(BM_StartUp)->Arg(1054)->Arg(2923)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
