#include "sounding/HaveDataIndex.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <SQLiteCpp/Statement.h>

#include "core/MainDatabase.h"
#include "core/NestedTransaction.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "sounding/StationDataFile.h"

namespace fs = std::filesystem;

namespace skyloom::sounding {

std::vector<std::string> listDataFiles(const std::string& appDir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(appDir + "data", ec)) {
        if (!e.is_regular_file(ec)) continue;
        std::string name = e.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dat") == 0) out.push_back(name);
    }
    return out;
}

long wmoOfDataFileName(const std::string& fileName) {
    long wmo = 0;
    for (char c : fileName) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        if (wmo > 99999999) return 0;
        wmo = wmo * 10 + (c - '0');
    }
    return wmo;
}

bool checkHaveData(core::MainDatabase& db, core::Prompter& prompter, core::Progress* progress) {
    auto files = listDataFiles(db.appDir());
    SQLite::Statement find(db.db(), "SELECT count(*) FROM havedata WHERE wmo = ?");
    for (const auto& f : files) {
        find.reset();
        find.bind(1, static_cast<std::int64_t>(wmoOfDataFileName(f)));
        find.executeStep();
        if (find.getColumn(0).getInt() == 0) {
            rebuildHaveData(db, prompter, progress);
            return true;
        }
    }
    long rows = db.db().execAndGet("SELECT count(*) FROM havedata").getInt();
    if (rows != static_cast<long>(files.size())) {
        rebuildHaveData(db, prompter, progress);
        return true;
    }
    return false;
}

namespace {

// Keeps the station table in step with a data file that is present.
void markStation(SQLite::Database& main, StationDataFile& file, const HaveDataRow& r) {
    SQLite::Statement upd(main, "UPDATE stations SET HaveData = -1, fromdate = ?, todate = ? WHERE wmo = ?");
    upd.bind(1, r.fromDate);
    upd.bind(2, r.toDate);
    upd.bind(3, static_cast<std::int64_t>(r.wmo));
    if (upd.exec() > 0) return;
    // A file for a station the list does not know: describe it from the file itself.
    double lat = 0, lon = 0, elev = 0;
    long wban = 0;
    SQLite::Statement st(file.db(), "SELECT lat, lon, elev, wban FROM stations LIMIT 1");
    if (st.executeStep()) {
        lat = st.getColumn(0).getDouble();
        lon = st.getColumn(1).getDouble();
        elev = st.getColumn(2).getDouble();
        wban = static_cast<long>(st.getColumn(3).getInt64());
    }
    SQLite::Statement ins(main,
                          "INSERT INTO stations (wmo, wban, init, stationname, province, country, lat, lon, elev, "
                          "nodataavailable, HaveData, fromdate, todate) VALUES (?,?,'----',?,'--','',?,?,?,0,-1,?,?)");
    ins.bind(1, static_cast<std::int64_t>(r.wmo));
    ins.bind(2, static_cast<std::int64_t>(wban));
    ins.bind(3, "Station " + std::to_string(r.wmo));
    ins.bind(4, lat);
    ins.bind(5, lon);
    ins.bind(6, elev);
    ins.bind(7, r.fromDate);
    ins.bind(8, r.toDate);
    ins.exec();
}

}  // namespace

void rebuildHaveData(core::MainDatabase& db, core::Prompter& prompter, core::Progress* progress) {
    auto& main = db.db();
    auto files = listDataFiles(db.appDir());
    core::SilentPrompter quiet;
    // Nests inside a caller's transaction (a recalculation batch rebuilding a lost row).
    core::NestedTransaction tx(main, "rebuild_havedata");
    main.exec("DELETE FROM havedata");
    main.exec("UPDATE stations SET HaveData = 0");
    std::int64_t done = 0;
    for (const auto& name : files) {
        const std::string path = db.appDir() + "data/" + name;
        if (progress) progress->step(done++, static_cast<std::int64_t>(files.size()), "Added " + name);
        auto file = StationDataFile::open(path, true, quiet);
        if (!file) continue;
        prompter.status("Added " + name);
        if (name.find("_Previous") != std::string::npos) {
            file.reset();
            std::error_code ec;
            fs::remove(path, ec);
            continue;
        }
        auto row = file->haveData();
        if (!row) continue;
        if (row->wmo == 0) row->wmo = wmoOfDataFileName(name);
        insertHaveDataRow(main, "havedata", *row);
        markStation(main, *file, *row);
    }
    tx.commit();
}

void refreshHaveDataRow(core::MainDatabase& db, StationDataFile& file) {
    if (auto row = file.haveData()) refreshHaveDataRow(db, file, *row);
}

void refreshHaveDataRow(core::MainDatabase& db, StationDataFile& file, const HaveDataRow& row) {
    auto& main = db.db();
    core::NestedTransaction tx(main, "refresh_havedata");
    SQLite::Statement del(main, "DELETE FROM havedata WHERE wmo = ?");
    del.bind(1, static_cast<std::int64_t>(row.wmo));
    del.exec();
    insertHaveDataRow(main, "havedata", row);
    markStation(main, file, row);
    tx.commit();
}

}  // namespace skyloom::sounding
