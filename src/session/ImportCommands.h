#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sounding/ImportTypes.h"

namespace skyloom::core { class Progress; }
namespace skyloom::sounding {
class SoundingSet;
struct ImportResult;
}  // namespace skyloom::sounding

namespace skyloom::session {

class Session;

// The running counts of the import control frame, over the files of one command.
struct ImportCounts {
    long soundingsImported = 0;   // `Nsi`: stored in `soundings`
    long pointsImported = 0;      // `Ndi`
    long soundingsDiscarded = 0;  // `Nsd`: deleted by the checks or by the reviewer
    long pointsDiscarded = 0;     // `Ndd`
    bool operator==(const ImportCounts&) const = default;
};

// Real archives name their files as they like (".fsl", "-data.txt") and pack them (the IGRA station zips,
// gzip-compressed years): archives and all files can be chosen too.
inline constexpr const char* kTextFilesFilter = "Text Files|*.txt|Archives|*.zip *.gz|All Files|*";
inline constexpr const char* kTextDataFolder = "Text Data Files/";
inline constexpr const char* kImportThisFile = "Import this file? : ";
inline constexpr const char* kStartImportOf = "Start Import of '";
inline constexpr const char* kNoTextFiles = "There are no text files of this site in the folder 'Text Data Files'.";

// The review criteria typed into the frame's fields, read as numbers the way
// typed numbers are read everywhere (leading number, 0 when none). Malt keeps
// its text for the finding that names it.
sounding::ReviewCriteria criteriaFromTexts(std::string_view lalt, std::string_view malt, std::string_view difGnd,
                                           std::string_view dif500);

// The raw text files of a station in "Text Data Files" under appDir: names that
// start with the station's number (not followed by another digit, so that 72518
// does not take 725180's files) and end in ".txt", or are archives (".zip",
// ".gz"), in name order, full paths.
std::vector<std::string> stationTextFiles(const std::string& appDir, long wmo);

// Makes set hold record as its only sounding (number 1), with the top wind level
// set as a loaded sounding gets it, so that the sounding graph can draw it.
void setOfOneSounding(const sounding::SoundingRecord& record, sounding::SoundingSet& set);

// The interactive imports of raw radiosonde text: "Begin" and "Start" of the
// import control frame, and the text-file import of a station picked in a site
// list. Every file goes through the import engine with the frame's criteria and
// its reviewer; the dialogue goes through the session's prompter.
class ImportCommands {
public:
    explicit ImportCommands(Session& session) : session_(session) {}

    sounding::ReviewCriteria criteria;
    // Decides the soundings that need review; none: they are accepted.
    sounding::ReviewDecider* decider = nullptr;
    core::Progress* progress = nullptr;
    // The counts changed (after every stored sounding and at each command's start).
    std::function<void(const ImportCounts&)> countsChanged;
    // Frame each file's import (caption "Start Import of '<name>'"); the questions
    // and the closing report of a file come outside them. fileEnded also runs
    // when the import is interrupted.
    std::function<void(const std::string& caption)> fileStarting;
    std::function<void()> fileEnded;

    // `BeginIt`: a file choice, imported into the station its name begins with
    // (the number and a blank), else the one station the file itself names; a
    // file the import refuses is said why and not kept for Start. True when a
    // file was imported.
    bool begin();
    // `Start`: imports the file Begin chose, again (its soundings already stored are skipped).
    bool start();
    // Lists the station's text files and asks for each whether to import it (Yes
    // imports, No skips, Cancel stops); afterwards the speed unit is knots. With
    // no file of the station, says so and changes nothing.
    // True when any file was imported.
    bool importStationTextFiles(long wmo);

    const ImportCounts& counts() const { return counts_; }
    const std::string& chosenFile() const { return chosen_; }

private:
    void resetCounts();
    bool importOne(const std::string& path, std::optional<long> wmo, const std::string& caption);

    Session& session_;
    ImportCounts counts_;
    std::string chosen_;
};

}  // namespace skyloom::session
