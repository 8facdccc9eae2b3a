#include "session/ImportCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "session/Session.h"
#include "sounding/SoundingImport.h"
#include "sounding/SoundingSet.h"
#include "sounding/Units.h"

namespace fs = std::filesystem;

namespace skyloom::session {

sounding::ReviewCriteria criteriaFromTexts(std::string_view lalt, std::string_view malt, std::string_view difGnd,
                                           std::string_view dif500) {
    sounding::ReviewCriteria c;
    c.lalt = core::leadingNumber(lalt);
    c.malt = core::leadingNumber(malt);
    c.maltText = core::trim(malt);
    c.difGnd = core::leadingNumber(difGnd);
    c.dif500 = core::leadingNumber(dif500);
    return c;
}

std::vector<std::string> stationTextFiles(const std::string& appDir, long wmo) {
    std::vector<std::string> out;
    const std::string number = std::to_string(wmo);
    std::error_code ec;
    fs::directory_iterator it(appDir + kTextDataFolder, ec);
    if (ec) return out;
    for (const auto& entry : it) {
        if (!entry.is_regular_file(ec)) continue;
        const std::string name = entry.path().filename().string();
        if (name.size() < number.size() + 4 || name.compare(0, number.size(), number) != 0) continue;
        if (std::isdigit(static_cast<unsigned char>(name[number.size()]))) continue;
        const auto ends = [&name](std::string_view end) {
            return name.size() >= end.size() && core::iequals(std::string_view(name).substr(name.size() - end.size()), end);
        };
        if (!ends(".txt") && !ends(".zip") && !ends(".gz")) continue;
        out.push_back(entry.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

void setOfOneSounding(const sounding::SoundingRecord& record, sounding::SoundingSet& set) {
    using namespace sounding;
    set.reset();
    set.ensureCapacity(1);
    set.key[1] = 0;
    set.time[1] = {static_cast<double>(record.hrs), 0, 0, 0, 0};
    set.badTemperature[1] = static_cast<std::int16_t>(record.badTemperatureData);
    set.badPressure[1] = static_cast<std::int16_t>(record.badPressureData);
    std::int16_t top = 0;
    for (int l = 0; l < kLevelCount; ++l) {
        const LevelValues& v = record.levels[static_cast<std::size_t>(l)];
        auto& stored = set.level[1][static_cast<std::size_t>(l)];
        stored = {0, v.speed, v.direction, v.temperature, v.pressure};
        // The highest level above the ground that reports a wind.
        if (l > 0 && v.speed != 0 && v.direction != 0) top = static_cast<std::int16_t>(l);
    }
    set.topWindLevel[1] = top;
    auto& band = set.bandCode[1];
    band.fill(' ');
    std::copy_n(record.bands.begin(), std::min(record.bands.size(), band.size()), band.begin());
    set.pointCount[1] = static_cast<std::int32_t>(record.numpoints);
    set.setCount(1);
}

void ImportCommands::resetCounts() {
    counts_ = {};
    if (countsChanged) countsChanged(counts_);
}

bool ImportCommands::importOne(const std::string& path, std::optional<long> wmo, const std::string& caption) {
    const ImportCounts before = counts_;
    session_.prompter().status(caption);
    if (fileStarting) fileStarting(caption);
    sounding::ImportOptions opt;
    opt.criteria = criteria;
    opt.decider = decider;
    opt.progress = progress;
    opt.mainDb = &session_.mainDb();
    opt.counted = [this, before](const sounding::ImportResult& r) {
        counts_.soundingsImported = before.soundingsImported + r.added;
        counts_.pointsImported = before.pointsImported + r.pointsAdded;
        // Everything the import put into `deleted`: rejected by the checks or the
        // review, unreadable, or another station's.
        counts_.soundingsDiscarded = before.soundingsDiscarded + r.rejected + r.unreadable + r.otherStation;
        counts_.pointsDiscarded = before.pointsDiscarded + r.pointsRejected;
        if (countsChanged) countsChanged(counts_);
    };
    sounding::ImportResult r;
    try {
        r = sounding::importFile(session_.appDir(), path, opt, session_.prompter(), wmo);
    } catch (...) {
        if (fileEnded) fileEnded();
        // The file's import was undone as a whole: its counts go with it.
        counts_ = before;
        if (countsChanged) countsChanged(counts_);
        throw;
    }
    if (fileEnded) fileEnded();
    if (r.failed) {
        counts_ = before;
        if (countsChanged) countsChanged(counts_);
        return false;
    }
    // New soundings can make a station with data of one that had none.
    session_.reloadStationIndex();
    session_.prompter().message(r.report);
    return true;
}

bool ImportCommands::begin() {
    auto path = session_.prompter().openFile("Import Control", kTextFilesFilter, session_.appDir() + kTextDataFolder);
    if (!path) return false;
    chosen_ = *path;
    if (start()) return true;
    // A refused file is not kept for Start.
    chosen_.clear();
    return false;
}

bool ImportCommands::start() {
    if (chosen_.empty()) return false;
    resetCounts();
    const std::string name = fs::path(chosen_).filename().string();
    // The station comes from the file's name, else from the file itself.
    return importOne(chosen_, std::nullopt, kStartImportOf + name + "'");
}

bool ImportCommands::importStationTextFiles(long wmo) {
    resetCounts();
    const auto files = stationTextFiles(session_.appDir(), wmo);
    if (files.empty()) {
        session_.prompter().message(kNoTextFiles);
        return false;
    }
    bool any = false;
    for (const std::string& path : files) {
        const std::string name = fs::path(path).filename().string();
        const auto answer = session_.prompter().askYesNoCancel(kImportThisFile + name);
        if (answer == core::Prompter::Answer::Cancel) break;
        if (answer == core::Prompter::Answer::No) continue;
        any = importOne(path, wmo, kStartImportOf + name + "'") || any;
    }
    // Imported soundings are shown in the units the text files are read in.
    const int knots = static_cast<int>(sounding::UnitMode::Knots);
    session_.setUnits(knots);
    return any;
}

}  // namespace skyloom::session
