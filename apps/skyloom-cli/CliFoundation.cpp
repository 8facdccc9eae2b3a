#include <cstdio>
#include <iostream>

#include <fmt/format.h>
#include <SQLiteCpp/Statement.h>

#include "CliContext.h"
#include "core/FileOps.h"
#include "core/MainDatabase.h"
#include "core/SqlUtil.h"
#include "core/Text.h"
#include "session/ProgramFolder.h"
#include "session/ShippedSamples.h"
#include "session/StationListImport.h"
#include "session/StationSummary.h"

namespace skyloom::cli {

namespace {

long parseWmo(const std::string& text) {
    long long wmo = 0;
    if (!core::parseInteger(text, wmo) || wmo <= 0) throw CliError("'" + text + "' is not a WMO station number");
    return static_cast<long>(wmo);
}

// The station shown when the program runs without a display: the first shipped
// sample (Albany 1990), which every new folder holds, else the station with most
// soundings, observations before demo stations.
long defaultStation(session::Session& s) {
    SQLite::Statement q(s.mainDb().db(),
                        "SELECT h.wmo FROM havedata h JOIN stations s ON s.wmo = h.wmo "
                        "ORDER BY (h.wmo = ?) DESC, (s.stationname LIKE '%(DEMO)%') ASC, h.NumSoundings DESC, "
                        "h.wmo LIMIT 1");
    q.bind(1, static_cast<std::int64_t>(session::shippedSamples().front().wmo));
    return q.executeStep() ? static_cast<long>(q.getColumn(0).getInt64()) : 0;
}

}  // namespace

void addFoundationCommands(CLI::App& app, CliContext& ctx) {
    auto* init = app.add_subcommand("init", "Set up a program folder (database, station list, supplied data)");
    ctx.addFolderOption(init);
    init->callback([&ctx] {
        const std::string dir = ctx.appDir();
        const auto result = session::initProgramFolder(dir, ctx.prompter, ctx.progress);
        if (result == session::InitResult::Failed) throw CliError("the program folder '" + dir + "' was not set up");
        if (result) {
            ctx.progress.finish();
            const int failed = installShippedSamples(ctx);
            installDemoData(ctx, true);
            if (failed > 0)
                throw CliError(std::to_string(failed) + " shipped sample(s) not imported into '" + dir +
                               "' (see above); the rest of the folder is ready");
            std::cout << "Program folder ready: " << dir << std::endl;
        } else if (!core::fileExists(dir + core::MainDatabase::kFileName)) {
            // Not "already set up": the reason was said above.
            throw CliError("the program folder '" + dir + "' was not set up");
        }
    });

    auto* stations = app.add_subcommand("stations", "List the stations (WMO, call letters, name, country, position)");
    ctx.addFolderOption(stations);
    static bool withData = false;
    stations->add_flag("--with-data", withData, "Only stations with data on this computer");
    stations->callback([&ctx] {
        auto& s = ctx.session();
        SQLite::Statement q(s.mainDb().db(),
                            withData ? "SELECT s.wmo, s.init, s.stationname, s.country, s.lat, s.lon, s.elev, 1 "
                                       "FROM stations s JOIN havedata h ON h.wmo = s.wmo ORDER BY s.wmo"
                                     : "SELECT s.wmo, s.init, s.stationname, s.country, s.lat, s.lon, s.elev, "
                                       "EXISTS(SELECT 1 FROM havedata h WHERE h.wmo = s.wmo) FROM stations s "
                                       "ORDER BY s.wmo");
        int n = 0;
        while (q.executeStep()) {
            std::cout << fmt::format("{:05d} {:<5} {:<30} {:<3} {:7.2f} {:8.2f} {:6.0f}{}\n",
                                     q.getColumn(0).getInt64(), core::columnText(q.getColumn(1)),
                                     core::columnText(q.getColumn(2)), core::columnText(q.getColumn(3)),
                                     q.getColumn(4).getDouble(), q.getColumn(5).getDouble(),
                                     q.getColumn(6).getDouble(), q.getColumn(7).getInt() ? "  data" : "");
            ++n;
        }
        std::cout << n << " stations" << std::endl;
    });

    auto* summary = app.add_subcommand("summary", "Show the summary of a station with data");
    ctx.addFolderOption(summary);
    static std::string wmoText;
    summary->add_option("WMO", wmoText, "WMO station number")->required();
    summary->callback([&ctx] {
        long wmo = parseWmo(wmoText);
        auto text = session::stationSummary(ctx.session().mainDb(), wmo);
        if (!text) throw CliError("station " + std::to_string(wmo) + " has no data on this computer");
        std::cout << core::trim(text->substr(0, 200)) << std::endl;
    });

    auto* rebuild = app.add_subcommand("rebuild-index", "Re-create the index of station data files");
    ctx.addFolderOption(rebuild);
    rebuild->callback([&ctx] {
        auto& s = ctx.session();
        s.rebuildDataIndex(&ctx.progress);
        ctx.progress.finish();
        std::cout << "Done" << std::endl;
    });

    auto* repair = app.add_subcommand("repair", "Repair Data Structure (compact the main database)");
    ctx.addFolderOption(repair);
    repair->callback([&ctx] {
        using Result = core::MainDatabase::RepairResult;
        switch (ctx.session().repairMainDatabase()) {
            case Result::Done: break;
            case Result::NotDone: throw CliError("the data structure was not repaired");
            case Result::NotOpen: throw CliError("the main database could not be reopened");
        }
        std::cout << "Done" << std::endl;
    });

    auto* importStations = app.add_subcommand("import-stations", "Rebuild the station table from a station list");
    ctx.addFolderOption(importStations);
    static std::string listFile;
    importStations->add_option("FILE", listFile, "Station list: <OPTION> lines or an IGRA v2 station list")->required();
    importStations->callback([&ctx] {
        auto& s = ctx.session();
        const int n = session::importStationListFrom(s.mainDb(), listFile, ctx.prompter);
        if (n <= 0) throw CliError("nothing was imported; the station list was left as it was");
        s.reloadStationIndex();
        std::cout << n << " stations read" << std::endl;
    });

    auto* byDefault = app.add_subcommand(
        "default-station", "Print the WMO number of the station shown first (Albany 1990 when it has data, else real data before demo)");
    ctx.addFolderOption(byDefault);
    byDefault->callback([&ctx] {
        long wmo = defaultStation(ctx.session());
        if (wmo == 0) throw CliError(session::kNoStationPrompt);
        std::cout << wmo << std::endl;
    });
}

}  // namespace skyloom::cli
