#include "sounding/FileStation.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <SQLiteCpp/Statement.h>
#include <fmt/format.h>

#include "core/MainDatabase.h"
#include "core/Text.h"
#include "sounding/Igra2Reader.h"
#include "sounding/SoundingImport.h"

namespace fs = std::filesystem;

namespace skyloom::sounding {

namespace {

std::string fileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

bool knownStation(core::MainDatabase* db, long wmo) {
    if (!db || !db->isOpen()) return false;
    SQLite::Statement q(db->db(), "SELECT count(*) FROM stations WHERE wmo = ?");
    q.bind(1, static_cast<std::int64_t>(wmo));
    return q.executeStep() && q.getColumn(0).getInt64() > 0;
}

std::string numberList(const std::vector<long>& numbers) {
    std::string out;
    for (std::size_t i = 0; i < numbers.size() && i < 5; ++i) out += (i ? ", " : "") + std::to_string(numbers[i]);
    if (numbers.size() > 5) out += ", ...";
    return out;
}

// The one station of the list with the given call letters or WBAN number; 0 when none or several.
long stationWith(SQLite::Database& db, const char* sql, const std::string& key) {
    SQLite::Statement q(db, sql);
    q.bind(1, key);
    long wmo = 0;
    int n = 0;
    while (q.executeStep()) {
        wmo = static_cast<long>(q.getColumn(0).getInt64());
        ++n;
    }
    return n == 1 ? wmo : 0;
}

}  // namespace

std::optional<long> numberAtNameStart(std::string_view path) {
    const std::string name = fs::path(std::string(path)).filename().string();
    const std::size_t blank = name.find(' ');
    if (blank == std::string::npos || blank == 0 || blank >= 8) return std::nullopt;
    for (std::size_t i = 0; i < blank; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    return std::stol(name.substr(0, blank));
}

bool plausibleWmo(long number) { return number >= 1000 && number <= 99999; }

void resolveStationIds(std::vector<ParsedSounding>& soundings, core::MainDatabase& db) {
    if (!db.isOpen()) return;
    std::string lastId;
    long lastWmo = 0;
    for (auto& s : soundings) {
        if (s.wmo != 0 || s.readProblem != igra2::kNoWmoInId || s.staid.size() != 11) continue;
        if (s.staid != lastId) {
            lastId = s.staid;
            const char network = s.staid[2];
            const std::string tail = core::trim(s.staid.substr(network == 'I' ? 7 : 6));
            lastWmo = 0;
            long long wban = 0;
            if (network == 'I')
                lastWmo = stationWith(db.db(), "SELECT wmo FROM stations WHERE init = ? COLLATE NOCASE", tail);
            else if (network == 'W' && core::parseInteger(tail, wban) && wban > 0)
                lastWmo = stationWith(db.db(), "SELECT wmo FROM stations WHERE wban = CAST(? AS INTEGER)",
                                      std::to_string(wban));
        }
        if (lastWmo > 0) {
            s.wmo = lastWmo;
            s.readProblem.clear();
        }
    }
}

std::vector<long> stationsNamed(const std::vector<ParsedSounding>& soundings) {
    std::vector<long> out;
    for (const auto& s : soundings)
        if (s.wmo > 0 && std::find(out.begin(), out.end(), s.wmo) == out.end()) out.push_back(s.wmo);
    return out;
}

bool looksUtf16(std::string_view bytes) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return true;
    // Without a mark: ASCII text with a NUL byte beside nearly every character.
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4096) / 2 * 2;
    if (n < 4) return false;
    std::size_t evenNul = 0, oddNul = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        evenNul += bytes[i] == '\0' && bytes[i + 1] != '\0';
        oddNul += bytes[i + 1] == '\0' && bytes[i] != '\0';
    }
    return std::max(evenNul, oddNul) * 10 >= (n / 2) * 9;
}

std::string noSoundingsReason(std::string_view bytes) {
    if (bytes.empty()) return "the file is empty";
    if (looksUtf16(bytes)) return "the file is UTF-16 text; save it as plain text (ASCII or UTF-8) and import it again";
    if (bytes.find('\0') != std::string_view::npos) return "the file is not text (it holds NUL bytes)";
    return "it is not radiosonde text the program reads (FSL/NCDC text, IGRA v2 data or a University of Wyoming "
           "listing)";
}

FileStation chooseFileStation(const std::string& path, std::optional<long> given,
                              std::vector<ParsedSounding>& soundings, core::MainDatabase* db) {
    const std::string name = fileNameOf(path);
    if (db) resolveStationIds(soundings, *db);
    FileStation out;
    auto refuse = [&out](std::string why) {
        out.wmo = 0;
        out.refusal = std::move(why);
        return out;
    };
    const std::optional<long> named = given ? given : numberAtNameStart(path);
    if (named) {
        if (!plausibleWmo(*named) && !knownStation(db, *named)) {
            if (given) return refuse(fmt::format("{} is not a WMO station number: '{}' was not imported.", *named, name));
            return refuse(fmt::format("'{}' begins with {}, which is not a WMO station number: rename it with the "
                                      "station's WMO number and a blank at the start.",
                                      name, *named));
        }
        out.wmo = *named;
        // The caller or the name gives the station of soundings whose id names none.
        for (auto& s : soundings)
            if (s.wmo == 0 && s.readProblem == igra2::kNoWmoInId) {
                s.wmo = out.wmo;
                s.readProblem.clear();
            }
    } else {
        const std::vector<long> stations = stationsNamed(soundings);
        if (stations.empty()) return refuse(kNeedWmoInName);
        if (stations.size() > 1)
            return refuse(fmt::format("'{}' holds soundings of {} stations ({}): put the WMO number of the one to "
                                      "import and a blank at the start of its name.",
                                      name, stations.size(), numberList(stations)));
        if (!plausibleWmo(stations[0]) && !knownStation(db, stations[0]))
            return refuse(fmt::format("'{}' names station {}, which is not a WMO station number: rename it with the "
                                      "station's WMO number and a blank at the start.",
                                      name, stations[0]));
        out.wmo = stations[0];
    }
    const bool any = std::any_of(soundings.begin(), soundings.end(),
                                 [&](const ParsedSounding& s) { return s.wmo == out.wmo && s.date; });
    if (any) return out;
    std::vector<long> others = stationsNamed(soundings);
    if (!others.empty())
        return refuse(fmt::format("'{}' holds no soundings of station {}, only of {}: rename it or name its station.",
                                  name, out.wmo, numberList(others)));
    const auto problem = std::find_if(soundings.begin(), soundings.end(),
                                      [](const ParsedSounding& s) { return !s.readProblem.empty(); });
    return refuse(fmt::format("No readable soundings were found in '{}'{}", name,
                              problem == soundings.end() ? "." : ": " + problem->readProblem));
}

}  // namespace skyloom::sounding
