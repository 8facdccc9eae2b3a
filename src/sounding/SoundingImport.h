#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Dates.h"
#include "core/ByteSource.h"
#include "sounding/ImportTypes.h"
#include "sounding/SoundingStream.h"

namespace skyloom::core {
class MainDatabase;
class Progress;
class Prompter;
}  // namespace skyloom::core

namespace skyloom::sounding {

std::vector<ParsedSounding> readSoundings(std::string_view text, SourceFormat format);

// The WMO number a raw text file's name begins with: digits followed by a blank
// within the first 8 characters. 0 when the name does not begin so.
long wmoFromFileName(std::string_view path);

// "HH:00:00": the time of day a sounding is stored under.
std::string soundingTimeText(int hour);

struct ImportResult;

struct ImportOptions {
    ReviewCriteria criteria;
    // Decides soundings that need review; none: they are accepted as they are.
    ReviewDecider* decider = nullptr;
    core::Progress* progress = nullptr;
    // When given, the station's `havedata` row is refreshed after the import.
    core::MainDatabase* mainDb = nullptr;
    // Told the counts so far each time a sounding has been stored (in `soundings`
    // or `deleted`), for windows that show them while the import runs.
    std::function<void(const ImportResult&)> counted;
    // Held while the main database is used, when imports of several stations run
    // at once (the main database has one writer at a time).
    std::mutex* mainDbLock = nullptr;
    // Counts every sounding read, for the soundings-per-second of a progress bar.
    std::atomic<std::int64_t>* soundingsRead = nullptr;
    // A file that holds no soundings is passed over quietly (files found in a folder).
    bool skipNonSoundingFiles = false;
};

// What one import did, with the report shown at its end.
struct ImportResult {
    long wmo = 0;
    long added = 0;             // stored in `soundings`
    long rejected = 0;          // stored in `deleted` by the checks or the review
    long reviewed = 0;          // put to the review decider
    long duplicates = 0;        // already in the file: skipped
    long otherStation = 0;      // another station's soundings ("Multiple wmo not added")
    long unreadable = 0;        // not a readable sounding: stored in `deleted` with the reader's finding
    long pointsAdded = 0;
    long pointsRejected = 0;
    std::optional<core::Days> firstDate, lastDate;   // of the added soundings
    bool cancelled = false;     // stopped on request; what was done is kept
    // Non-empty: stopped before a sounding that needed review and that no one
    // could decide (the decider's ReviewUndecided text); what was done before is kept.
    std::string undecided;
    bool failed = false;        // nothing imported (file name, file or database problem)
    bool skipped = false;       // a file of a folder that holds no soundings: passed over
    // Non-empty: the file could not be read to its end (truncated or damaged);
    // the soundings before the damage were imported.
    std::string damaged;
    std::string report;         // the closing message
};

// Imports soundings into the station data file of wmo in the program folder
// appDir (ending in "/"). The soundings are stored in batches, each committed
// whole with the file's summary, so an interrupted import leaves the file as it
// was after its last batch and a repeated one completes it.
ImportResult importSoundings(const std::string& appDir, long wmo, const std::vector<ParsedSounding>& soundings,
                             const ImportOptions& options, core::Prompter& prompter);

// Imports a raw text already in memory (any of the three formats) for wmo.
ImportResult importText(const std::string& appDir, long wmo, std::string_view text, const ImportOptions& options,
                        core::Prompter& prompter);

// Imports one file (plain or gzip-compressed). Its station is wmo when given,
// else the WMO number its name begins with ("72518 Albany.txt"), else the one
// station its soundings name (the FSL station line, the IGRA id, the Wyoming
// station number); see chooseFileStation. A file that cannot be imported at all
// (unreadable, empty, UTF-16, not text, no format the import reads, no station
// or an implausible one) makes nothing and is reported through the prompter in
// one line naming it; the closing report of an import is left to the caller to show.
// A zip archive's members are imported one after the other. The file is read as
// a stream, in bounded memory whatever its size.
ImportResult importFile(const std::string& appDir, const std::string& path, const ImportOptions& options,
                        core::Prompter& prompter, std::optional<long> wmo = std::nullopt);
// One input: a plain or gzip file or one zip member.
ImportResult importSource(const std::string& appDir, const core::SourceName& source, const ImportOptions& options,
                          core::Prompter& prompter, std::optional<long> wmo = std::nullopt);

// Soundings stored per committed batch.
inline constexpr std::size_t kImportBatch = 8192;

// The closing messages.
inline constexpr const char* kNeedWmoInName = "Need WMO at start with space after it, rename it.";
inline constexpr const char* kNothingNew = "No unique soundings that we have not got in the database were found.";
inline constexpr const char* kNothingValid = "AFTER OUR REVIEW OF THE DATA, NO VALID SOUNDINGS WERE FOUND";

}  // namespace skyloom::sounding
