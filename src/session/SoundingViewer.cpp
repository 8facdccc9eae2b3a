#include "session/SoundingViewer.h"

#include <algorithm>
#include <exception>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/DatabaseFile.h"
#include "core/MainDatabase.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/SqlUtil.h"
#include "session/AnimationSchedule.h"
#include "session/Session.h"
#include "sounding/StationDataFile.h"

namespace skyloom::session {

namespace {

constexpr int kShiftCtrl = 2;

constexpr const char* kIgnoreOff =
    "Please change the checkbox in the Setup menu if you would like to setup to ignore soundings.";
constexpr const char* kIgnoreQuestion =
    "Do you really want to delete this sounding from your data?  You will not be asked this any more this session, "
    "so make sure you dont touch the 'i' inadvertently after this.";
constexpr const char* kAlreadyDeleted =
    "Sounding is already deleted, click on graph to refresh or continue viewing soundings.";
constexpr const char* kHintIgnoreOn = "Press i to Ignore if Sounding is not realistic to you";
constexpr const char* kHintIgnoreOff = "Suggest Press i to Ignore after setting up the i key";
constexpr const char* kUserReason = "EndUser deleted";

// Speeds in stored tenths of a knot.
constexpr std::int32_t kModerateAbove = 70;
constexpr std::int32_t kStrongAbove = 100;

// Drops a key press that arrives while another one is being handled (a dialog
// of the first one lets the windows deliver more keys).
class KeyGuard {
public:
    explicit KeyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~KeyGuard() { flag_ = false; }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

SoundingViewer::SoundingViewer(Session& session, SiteAnalysis& analysis) : session_(session), analysis_(analysis) {}

// ---- keys -----------------------------------------------------------------

ViewerResponse SoundingViewer::keyDown(int keyCode, int shift, ViewerForm form) {
    ViewerResponse r = handleViewerKey(keyCode, shift, form);
    if (keyCode == viewerkey::Control) ctrlDown_ = true;
    if (keyCode == viewerkey::Alt) altDown_ = true;
    return r;
}

void SoundingViewer::keyUp(int keyCode) {
    if (keyCode == viewerkey::Control) ctrlDown_ = false;
    if (keyCode == viewerkey::Alt) altDown_ = false;
}

ViewerResponse SoundingViewer::handleViewerKey(int keyCode, int shift, ViewerForm form) {
    ViewerResponse r;
    if (keyBusy_) {
        r.dropped = true;
        return r;
    }
    KeyGuard guard(keyBusy_);
    // Ctrl and Alt count as held from their own key-down events on; Shift only turns F3 back.
    switch (keyCode) {
    case viewerkey::I:
        if (ctrlDown_) r = ignoreCurrentSounding();
        break;
    case viewerkey::Right:
    case viewerkey::Left: {
        const bool forward = keyCode == viewerkey::Right;
        hideHint(r);
        if (ctrlDown_ && altDown_) {
            ViewerResponse found = findSuspectSounding(forward);
            found.hideHint = true;   // a new hint, if any, replaces the old one
            return found;
        }
        if (ctrlDown_) r.redrawSounding = jumpToTimeGap(forward);
        else r.redrawSounding = forward ? stepToNextSounding() : stepToPreviousSounding();
        break;
    }
    case viewerkey::Up:
    case viewerkey::Down:
        frameAdvance_ = stepFrameAdvance(frameAdvance_, keyCode == viewerkey::Up);
        if (animationOn_) r.animateCaption = frameAdvanceCaption(frameAdvance_);
        break;
    case viewerkey::Escape:
        if (animationOn_) {
            stopAnimation();
            r.stopAnimation = true;
        }
        break;
    case viewerkey::F1:
        r.openHelp = true;
        break;
    case viewerkey::F3: {
        hideHint(r);
        ViewerResponse found = findSuspectSounding((shift & 1) == 0);
        found.hideHint = true;
        return found;
    }
    case viewerkey::A:
        if (ctrlDown_) {
            ++powerGraphGroup_;
            r.redrawEnergyGraph = true;
        } else if (animationOn_) {
            // The wait label offers 'A' to end the frame wait.
            requestAdvance();
            r.advance = true;
        }
        break;
    case viewerkey::Z:
        if (ctrlDown_) {
            powerGraphGroup_ = std::max(kSmallestPowerGraphGroup, powerGraphGroup_ - 1);
            r.redrawEnergyGraph = true;
        }
        break;
    case viewerkey::P:
        if (ctrlDown_) {
            energyGraphAlternative_ = !energyGraphAlternative_;
            r.redrawEnergyGraph = true;
        }
        break;
    case viewerkey::D:
        if (ctrlDown_ && form == ViewerForm::MainPage) r = recreateDataIndex();
        break;
    default:
        break;
    }
    return r;
}

void SoundingViewer::hideHint(ViewerResponse& r) {
    hintVisible_ = false;
    r.hideHint = true;
}

// ---- the shown sounding ---------------------------------------------------

void SoundingViewer::analysisFinished(AnalysisOutcome outcome) {
    if (outcome == AnalysisOutcome::Analysed) current_ = analysis_.soundings().count();
    current_ = currentSounding();
}

int SoundingViewer::currentSounding() const {
    const int count = analysis_.soundings().count();
    if (count == 0) return 0;
    return std::clamp(current_, 1, count);
}

bool SoundingViewer::usable(int n) const { return analysis_.soundings().key[static_cast<std::size_t>(n)] >= 0; }

bool SoundingViewer::stepToNextSounding() {
    const int count = analysis_.soundings().count();
    for (int n = currentSounding() + 1; n <= count; ++n)
        if (usable(n)) {
            current_ = n;
            return true;
        }
    return false;
}

bool SoundingViewer::stepToPreviousSounding() {
    for (int n = currentSounding() - 1; n >= 1; --n)
        if (usable(n)) {
            current_ = n;
            return true;
        }
    return false;
}

double SoundingViewer::uncoveredHoursBefore(const sounding::SoundingSet& set, int n) {
    if (n <= 1) return 0;
    const auto& t = set.time[static_cast<std::size_t>(n)];
    const auto& p = set.time[static_cast<std::size_t>(n - 1)];
    return t[0] - t[3] - (p[0] + p[4]);
}

bool SoundingViewer::jumpToTimeGap(bool forward) {
    const auto& set = analysis_.soundings();
    const int count = set.count();
    const int start = currentSounding();
    if (count == 0) return false;
    int stop = 0;
    if (forward) {
        for (int n = start + 1; n <= count; ++n)
            if (usable(n)) {
                stop = n;
                if (uncoveredHoursBefore(set, n) >= kGapHours) break;
            }
    } else {
        for (int n = start - 1; n >= 1; --n)
            if (usable(n)) {
                stop = n;
                if (uncoveredHoursBefore(set, n) >= kGapHours) break;
            }
    }
    if (stop == 0) return false;
    current_ = stop;
    return true;
}

bool SoundingViewer::isSuspect(const sounding::SoundingSet& set, int n) {
    bool moderate = false, strong = false, calmLow = false, calmHigh = false;
    for (int lvl = 0; lvl < sounding::kLevelCount; ++lvl) {
        const std::int32_t s = set.speed(n, lvl);
        if (s > kModerateAbove && s < kStrongAbove) moderate = true;
        if (s > kStrongAbove) strong = true;
        if (s == 0 && lvl >= 2 && lvl <= 5) calmLow = true;
        if (s == 0 && lvl >= 6) calmHigh = true;
    }
    return (calmLow || calmHigh) && (strong || (moderate && calmHigh));
}

ViewerResponse SoundingViewer::findSuspectSounding(bool forward) {
    ViewerResponse r;
    const auto& set = analysis_.soundings();
    const int count = set.count();
    const int step = forward ? 1 : -1;
    for (int n = currentSounding() + step; n >= 1 && n <= count; n += step) {
        if (!usable(n) || !isSuspect(set, n)) continue;
        current_ = n;
        r.redrawSounding = true;
        hint_ = session_.settings().getFlag("Iignore", false) ? kHintIgnoreOn : kHintIgnoreOff;
        hintVisible_ = true;
        r.hint = hint_;
        return r;
    }
    session_.prompter().message(forward ? "Done looking right!" : "Done looking left!");
    return r;
}

// ---- ignoring -------------------------------------------------------------

std::string SoundingViewer::deletedSoundingText(const std::array<std::int32_t, sounding::kLevelCount>& speeds,
                                                const std::array<std::int32_t, sounding::kLevelCount>& directions,
                                                const std::string& bands, long long numpoints) {
    std::string text;
    for (int lvl = 0; lvl < sounding::kLevelCount; ++lvl) {
        const auto l = static_cast<std::size_t>(lvl);
        text += std::to_string(lvl * sounding::kLevelStepFeet) + " " + std::to_string(speeds[l]) + " " +
                std::to_string(directions[l]) + "\r\n";
    }
    text += bands + "\r\n";
    text += "Numpoints = " + std::to_string(numpoints);
    return text;
}

ViewerResponse SoundingViewer::ignoreCurrentSounding() {
    ViewerResponse r;
    core::Prompter& prompter = session_.prompter();
    if (!session_.settings().getFlag("Iignore", false)) {
        prompter.message(kIgnoreOff);
        return r;
    }
    const int n = currentSounding();
    if (n == 0) return r;
    if (!ignoreConfirmed_) {
        if (!prompter.ask(kIgnoreQuestion)) return r;
        ignoreConfirmed_ = true;
    }

    auto& set = analysis_.soundings();
    const std::int32_t key = set.key[static_cast<std::size_t>(n)];
    const long wmo = analysis_.loadedSetKey().wmo != 0 ? analysis_.loadedSetKey().wmo : analysis_.currentWmo();
    const std::string path = session_.appDir() + "data/" + std::to_string(wmo) + ".dat";
    std::int64_t numpoints = 0;
    try {
        auto file = sounding::StationDataFile::open(path, false, prompter);
        if (!file) return r;
        SQLite::Database& db = file->db();
        // Bracketed names: a double-quoted name the file lacks would be read as a text.
        std::string columns = "stationwmo, Date, Time, bands, numpoints";
        for (int lvl = 0; lvl < sounding::kLevelCount; ++lvl)
            columns += ", [" + sounding::levelColumn(lvl, sounding::Speed) + "], [" +
                       sounding::levelColumn(lvl, sounding::Direction) + "]";
        SQLite::Statement row(db, "SELECT " + columns + " FROM soundings WHERE Key = ?");
        row.bind(1, key);
        if (key < 0 || !row.executeStep()) {
            prompter.message(kAlreadyDeleted);
            r.redrawSounding = true;
            return r;
        }
        const std::int64_t stationWmo = row.getColumn(0).getInt64();
        const std::string date = core::columnText(row.getColumn(1));
        const std::string time = core::columnText(row.getColumn(2));
        const std::string bands = core::columnText(row.getColumn(3));
        numpoints = row.getColumn(4).getInt64();
        std::array<std::int32_t, sounding::kLevelCount> speeds{}, directions{};
        for (int lvl = 0; lvl < sounding::kLevelCount; ++lvl) {
            speeds[static_cast<std::size_t>(lvl)] = row.getColumn(5 + 2 * lvl).getInt();
            directions[static_cast<std::size_t>(lvl)] = row.getColumn(6 + 2 * lvl).getInt();
        }
        row.reset();

        // The record and the removal belong together; the file's own summary counts with them.
        SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement add(db,
                              "INSERT INTO deleted (stationwmo, wmo, Date, Time, sounding, deletedall, deletedline, "
                              "Reason, numdpdeleted) VALUES (?, ?, ?, ?, ?, 1, '', ?, ?)");
        add.bind(1, stationWmo);
        add.bind(2, static_cast<std::int64_t>(wmo));
        add.bind(3, date);
        add.bind(4, time);
        add.bind(5, deletedSoundingText(speeds, directions, bands, numpoints));
        add.bind(6, kUserReason);
        add.bind(7, numpoints);
        add.exec();
        SQLite::Statement remove(db, "DELETE FROM soundings WHERE Key = ?");
        remove.bind(1, key);
        remove.exec();
        SQLite::Statement own(db,
                              "UPDATE HaveData SET NumDeletedDataPoints = coalesce(NumDeletedDataPoints, 0) + ?, "
                              "NumDeletedSoundings = coalesce(NumDeletedSoundings, 0) + 1");
        own.bind(1, numpoints);
        own.exec();
        tx.commit();
    } catch (const std::exception& e) {
        prompter.message(core::databaseErrorText(e, session_.appDir()));
        return r;
    }

    // The row is gone from the file: memory follows at once, whatever happens next.
    // The statistics change with the next analysis, which no longer loads the row.
    set.key[static_cast<std::size_t>(n)] = -key;
    analysis_.invalidateLoadedSet();
    analysis_.markStationListStale();

    // The summary of the data on this computer and that of all data are one table here.
    try {
        SQLite::Statement summary(session_.mainDb().db(),
                                  "UPDATE havedata SET NumDeletedDataPoints = coalesce(NumDeletedDataPoints, 0) + ?, "
                                  "NumDeletedSoundings = coalesce(NumDeletedSoundings, 0) + 1 WHERE wmo = ?");
        summary.bind(1, numpoints);
        summary.bind(2, static_cast<std::int64_t>(wmo));
        summary.exec();
    } catch (const std::exception& e) {
        prompter.message(core::databaseErrorText(e, session_.appDir()));
    }
    hideHint(r);
    return r;
}

ViewerResponse SoundingViewer::recreateDataIndex() {
    ViewerResponse r;
    if (!session_.prompter().ask("Re-create data index?")) return r;
    try {
        session_.rebuildDataIndex();
    } catch (const std::exception& e) {
        session_.prompter().message(core::databaseErrorText(e, session_.appDir()));
        return r;
    }
    session_.prompter().message("Done");
    r.dataIndexRebuilt = true;
    return r;
}

// ---- animation ------------------------------------------------------------

void SoundingViewer::startAnimation() {
    animationOn_ = true;
    advanceRequested_ = false;
}

void SoundingViewer::stopAnimation() {
    animationOn_ = false;
    advanceRequested_ = true;
}

bool SoundingViewer::takeAdvanceRequest() {
    const bool requested = advanceRequested_;
    advanceRequested_ = false;
    return requested;
}

}  // namespace skyloom::session
