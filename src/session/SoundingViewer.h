#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "session/SiteAnalysis.h"

namespace skyloom::session {

class Session;

// Windows virtual-key codes of the viewer keys; the windows translate their keys to these.
namespace viewerkey {
constexpr int Control = 17;
constexpr int Alt = 18;
constexpr int Escape = 27;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int A = 65;
constexpr int D = 68;
constexpr int I = 73;
constexpr int P = 80;
constexpr int Z = 90;
constexpr int F1 = 112;
// The suspect search's second key: many Linux desktops take Ctrl+Alt+Left/Right
// for switching workspaces. F3 searches forward, Shift+F3 backward.
constexpr int F3 = 114;
}  // namespace viewerkey

// The forms whose keys reach the viewer; Ctrl+D works on the Main Page only.
enum class ViewerForm { MainPage, PowerPage, Help };

// What a window must do after a viewer key; the windows only obey.
struct ViewerResponse {
    bool dropped = false;            // the key came while the previous one was being handled
    bool redrawSounding = false;     // draw the sounding graphs for CurrentSounding, and the Power Page
    bool redrawEnergyGraph = false;  // PowerGraphGroup or the energy graph's mode changed
    bool openHelp = false;
    bool stopAnimation = false;      // Esc during the animation: stop it now
    bool advance = false;            // end the current frame wait of the animation
    bool hideHint = false;
    std::optional<std::string> hint;            // show this hint
    std::optional<std::string> animateCaption;  // new caption of the `Animate` button
    bool dataIndexRebuilt = false;   // the data-sites lists and the map must be filled again
};

// The sounding viewer: the sounding shown by Graph 2 and stepping through the
// loaded soundings, the automatic search for suspect soundings, the jumps over
// time gaps, ignoring a sounding (moving it from `soundings` to `deleted`), and
// the keys that steer the animation and the Power Page energy graph.
class SoundingViewer {
public:
    static constexpr double kGapHours = 48;          // uncovered time that ends a gap jump
    static constexpr int kFirstPowerGraphGroup = 4;
    static constexpr int kSmallestPowerGraphGroup = 2;

    SoundingViewer(Session& session, SiteAnalysis& analysis);

    // The key-down event of a form: the key map runs, then Ctrl (17) and Alt (18)
    // are noted as held. shift is the Windows shift state (1 Shift, 2 Ctrl, 4 Alt).
    ViewerResponse keyDown(int keyCode, int shift, ViewerForm form = ViewerForm::MainPage);
    // The key-up event: Ctrl and Alt are no longer held.
    void keyUp(int keyCode);
    // The key map itself.
    ViewerResponse handleViewerKey(int keyCode, int shift, ViewerForm form = ViewerForm::MainPage);

    // After an analysis: a freshly loaded set is shown from its last sounding;
    // otherwise the shown sounding is kept inside 1..N.
    void analysisFinished(AnalysisOutcome outcome);
    // Sounding number (1..N) Graph 2 shows; 0 when nothing is loaded.
    int currentSounding() const;
    void setCurrentSounding(int n) { current_ = n; }

    // Move to the next (previous) sounding that was not ignored; false at the end.
    bool stepToNextSounding();
    bool stepToPreviousSounding();
    // Ctrl+Right, Ctrl+Left: false when already at the end.
    bool jumpToTimeGap(bool forward);
    // Ctrl+Alt+Right, Ctrl+Alt+Left.
    ViewerResponse findSuspectSounding(bool forward);
    // Ctrl+I.
    ViewerResponse ignoreCurrentSounding();
    // Ctrl+D on the Main Page.
    ViewerResponse recreateDataIndex();

    // The animation's state as the keys see it.
    void startAnimation();
    void stopAnimation();
    bool animationOn() const { return animationOn_; }
    // Set by `AdvanceNow` and by stopping; the frame wait takes it and clears it.
    void requestAdvance() { advanceRequested_ = true; }
    bool takeAdvanceRequest();
    double frameAdvance() const { return frameAdvance_; }
    void setFrameAdvance(double seconds) { frameAdvance_ = seconds; }

    bool ctrlDown() const { return ctrlDown_; }
    bool altDown() const { return altDown_; }
    bool ignoreConfirmed() const { return ignoreConfirmed_; }
    bool stationListStale() const { return analysis_.stationListStale(); }
    bool keyBusy() const { return keyBusy_; }
    int powerGraphGroup() const { return powerGraphGroup_; }
    bool energyGraphAlternative() const { return energyGraphAlternative_; }
    const std::string& hint() const { return hint_; }
    bool hintVisible() const { return hintVisible_; }

    // A sounding is suspect when it has a calm level at 1000 feet or above and,
    // besides, a speed above 10 knots somewhere, or a speed of 7 to 10 knots with
    // a calm level at 3000 feet or above. Speeds in stored tenths of a knot.
    static bool isSuspect(const sounding::SoundingSet& set, int n);
    // Hours between sounding n and its predecessor that no sounding stands for.
    static double uncoveredHoursBefore(const sounding::SoundingSet& set, int n);
    // The text kept in `deleted` for a sounding: one line per level
    // ("<feet> <speed> <direction>"), the band code, "Numpoints = <n>", joined by "\r\n".
    static std::string deletedSoundingText(const std::array<std::int32_t, sounding::kLevelCount>& speeds,
                                           const std::array<std::int32_t, sounding::kLevelCount>& directions,
                                           const std::string& bands, long long numpoints);

private:
    bool usable(int n) const;
    void hideHint(ViewerResponse& r);

    Session& session_;
    SiteAnalysis& analysis_;
    int current_ = 0;
    bool ctrlDown_ = false;
    bool altDown_ = false;
    bool ignoreConfirmed_ = false;
    bool animationOn_ = false;
    bool advanceRequested_ = false;
    double frameAdvance_ = 0;
    bool keyBusy_ = false;
    int powerGraphGroup_ = kFirstPowerGraphGroup;
    bool energyGraphAlternative_ = false;
    std::string hint_;
    bool hintVisible_ = false;
};

}  // namespace skyloom::session
