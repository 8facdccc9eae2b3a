#include "session/StationListImport.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include <SQLiteCpp/Statement.h>

#include "core/MainDatabase.h"
#include "core/NestedTransaction.h"
#include "core/Prompter.h"
#include "core/StationIndex.h"
#include "core/Text.h"
#include "core/WholeFile.h"

namespace skyloom::session {

namespace {

constexpr const char* kLeftAsItWas = "; the station list was left as it was.";

std::optional<std::string> readWhole(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) return std::nullopt;
    // One read of the size the file has: a list of many megabytes is not grown piece by piece.
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) return std::nullopt;
    return text;
}

int replaceStations(core::MainDatabase& db, const std::vector<core::StationListEntry>& entries) {
    auto& main = db.db();
    core::NestedTransaction tx(main, "station_list");
    // Stations with data on this computer stay; every other row is replaced by the list.
    main.exec("DELETE FROM stations WHERE nodataavailable = 0 AND HaveData = 0");
    SQLite::Statement ins(main,
                          "INSERT OR IGNORE INTO stations (init, wban, wmo, lat, lon, elev, stationname, province, "
                          "country, areacode, nodataavailable, HaveData) VALUES (?,?,?,?,?,?,?,?,?,'99',0,0)");
    for (const auto& e : entries) {
        ins.reset();
        ins.bind(1, e.init);
        ins.bind(2, static_cast<std::int64_t>(e.wban));
        ins.bind(3, static_cast<std::int64_t>(e.wmo));
        ins.bind(4, e.lat);
        ins.bind(5, e.lon);
        ins.bind(6, e.elev);
        ins.bind(7, e.name);
        ins.bind(8, e.province);
        ins.bind(9, e.country);
        ins.exec();
    }
    tx.commit();
    return static_cast<int>(entries.size());
}

}  // namespace

std::optional<std::string> stationListProblem(std::string_view text) {
    if (core::trim(text).empty()) return std::string("is empty");
    if (text.find('\0') != std::string_view::npos)
        return std::string("is not a plain text file (it holds NUL bytes, as UTF-16 text does)");
    if (core::parseStationList(std::string(text)).empty())
        return std::string("holds no stations (no \"<OPTION>\" lines and no IGRA v2 station lines)");
    return std::nullopt;
}

std::string withCrLfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t done = 0;
    for (std::size_t at = text.find_first_of("\r\n"); at != std::string_view::npos;
         at = text.find_first_of("\r\n", done)) {
        out.append(text, done, at - done);
        out += "\r\n";
        done = at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
    }
    out.append(text, done, std::string_view::npos);
    return out;
}

int importStationListText(core::MainDatabase& db, std::string_view text) {
    const auto entries = core::parseStationList(std::string(text));
    if (entries.empty()) return 0;
    return replaceStations(db, entries);
}

int importStationListFrom(core::MainDatabase& db, const std::string& address, core::Prompter& prompter) {
    std::string path = address;
    if (core::startsWith(path, "file://")) path = path.substr(7);
    const std::optional<std::string> read = path.empty() ? std::nullopt : readWhole(path);
    if (!read) {
        prompter.message("The station list '" + address + "' could not be read" + kLeftAsItWas);
        return -1;
    }
    // Read and checked whole before anything is replaced.
    const std::string text = withCrLfLineBreaks(*read);
    const auto entries = core::parseStationList(text);
    if (entries.empty()) {
        const std::string problem = stationListProblem(text).value_or("holds no stations");
        prompter.message("The station list '" + address + "' " + problem + kLeftAsItWas);
        return -1;
    }
    if (const std::string why = core::tryWriteFileWhole(db.appDir() + "Stations.txt", text); !why.empty()) {
        prompter.message("Cannot write '" + db.appDir() + "Stations.txt' (" + why + ")" + kLeftAsItWas);
        return -1;
    }
    return replaceStations(db, entries);
}

}  // namespace skyloom::session
