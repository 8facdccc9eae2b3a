#pragma once

#include <functional>

#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QLabel;

namespace skyloom::sounding {
class GrowingLevelStatistics;
class SoundingSet;
}  // namespace skyloom::sounding
namespace skyloom::session {
class SiteAnalysis;
class SoundingViewer;
}  // namespace skyloom::session

namespace skyloom::gui {

class AnalysisPanel;

// Plays the loaded soundings one by one: after each sounding the distributions
// of Graph 1 grow, Graph 2 shows it, the wait label counts, and a single-shot
// timer waits the frame's time while the window stays responsive. `AdvanceNow`
// (or 'A') ends a wait at once; Esc or `StopAnimation` ends the animation and
// the graphs of the whole period are drawn again.
class AnimationPlayer : public QObject {
    Q_OBJECT
public:
    AnimationPlayer(session::SoundingViewer& viewer, session::SiteAnalysis& analysis, AnalysisPanel& panel,
                    QLabel* waitLabel, QObject* parent = nullptr);
    ~AnimationPlayer() override;
    // Where the wait banner of the animation stands; by default the middle of its parent.
    void setBannerPlacer(std::function<void(QLabel*)> placer) { placer_ = std::move(placer); }

    bool running() const;
    // The number of frames drawn since the start.
    int framesShown() const { return frames_; }
    // The milliseconds of the pending wait (-1: none).
    int pendingWaitMs() const { return timer_.isActive() ? timer_.interval() : -1; }

public slots:
    // `Animate`: analyses the current site and starts the frames.
    void start();
    // `AdvanceNow` and 'A': ends the current wait.
    void advance();
    // `StopAnimation` and Esc.
    void stop();
    // `FrameAdvance` was changed by an arrow key during a wait.
    void frameAdvanceChanged();

private:
    void frame();
    void wait(double seconds);
    void placeWaitLabel();
    std::function<void(QLabel*)> placer_;

    session::SoundingViewer& viewer_;
    session::SiteAnalysis& analysis_;
    AnalysisPanel& panel_;
    QLabel* waitLabel_;
    QTimer timer_;
    QElapsedTimer waitClock_;
    double waitFrameAdvance_ = 0;
    bool starting_ = false;
    int frames_ = 0;
    std::unique_ptr<sounding::SoundingSet> set_;
    std::unique_ptr<sounding::GrowingLevelStatistics> growing_;
};

}  // namespace skyloom::gui
