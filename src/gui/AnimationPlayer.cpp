#include "gui/AnimationPlayer.h"

#include <algorithm>
#include <cmath>

#include <QLabel>
#include <QPushButton>
#include <QTime>

#include "gui/AnalysisPanel.h"
#include "session/AnimationSchedule.h"
#include "session/SiteAnalysis.h"
#include "session/SoundingViewer.h"
#include "sounding/GrowingLevelStatistics.h"
#include "sounding/SoundingSet.h"

namespace skyloom::gui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

AnimationPlayer::AnimationPlayer(session::SoundingViewer& viewer, session::SiteAnalysis& analysis,
                                 AnalysisPanel& panel, QLabel* waitLabel, QObject* parent)
    : QObject(parent), viewer_(viewer), analysis_(analysis), panel_(panel), waitLabel_(waitLabel) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &AnimationPlayer::frame);
    connect(panel_.animateButton(), &QPushButton::clicked, this, &AnimationPlayer::start);
    connect(panel_.advanceNowButton(), &QPushButton::clicked, this, [this] {
        viewer_.requestAdvance();
        advance();
    });
    connect(panel_.stopAnimationButton(), &QPushButton::clicked, this, &AnimationPlayer::stop);
    // Another analysis replaces what the animation shows.
    connect(&panel_, &AnalysisPanel::analysisStarting, this, [this] {
        if (growing_ && !starting_) stop();
    });
}

AnimationPlayer::~AnimationPlayer() = default;

bool AnimationPlayer::running() const { return starting_ || growing_ != nullptr; }

void AnimationPlayer::start() {
    if (running() || analysis_.siteString().empty()) return;
    viewer_.startAnimation();
    panel_.animateButton()->setText(q(session::animationStartCaption(viewer_.frameAdvance())));
    panel_.advanceNowButton()->show();
    panel_.stopAnimationButton()->show();
    starting_ = true;
    panel_.run([this] {
        return analysis_.retrieveAndAnalyse(analysis_.siteString(), analysis_.fromPicker().text(),
                                            analysis_.toPicker().text());
    });
    starting_ = false;
    // A cancelled or failed analysis leaves the previous soundings in memory: nothing to play.
    const session::AnalysisOutcome outcome = panel_.lastOutcome();
    const bool analysed = outcome == session::AnalysisOutcome::Analysed ||
                          outcome == session::AnalysisOutcome::GeneratorRerun ||
                          outcome == session::AnalysisOutcome::EnergyOnly;
    if (!analysed || !viewer_.animationOn() || analysis_.soundings().count() == 0) {
        stop();
        return;
    }
    // The frames read their own copy: a sounding ignored meanwhile keeps its place.
    set_ = std::make_unique<sounding::SoundingSet>(analysis_.soundings());
    growing_ = std::make_unique<sounding::GrowingLevelStatistics>(*set_);
    frames_ = 0;
    timer_.start(0);
}

void AnimationPlayer::frame() {
    if (!growing_) return;
    if (!viewer_.animationOn() || growing_->complete()) {
        stop();
        return;
    }
    viewer_.takeAdvanceRequest();
    growing_->addNext();
    const int n = growing_->added();
    ++frames_;
    viewer_.setCurrentSounding(n);
    panel_.drawAnimationFrame(growing_->current(), n);
    if (waitLabel_) {
        waitLabel_->setText(q(session::animationWaitText(growing_->largestPeak(), n, growing_->total())));
        placeWaitLabel();
    }
    const session::FrameStep step = session::animationWait(n, viewer_.frameAdvance());
    if (step.caption) panel_.animateButton()->setText(q(*step.caption));
    wait(step.seconds.value_or(0.0));
}

void AnimationPlayer::placeWaitLabel() {
    waitLabel_->adjustSize();
    if (placer_) placer_(waitLabel_);
    else if (QWidget* area = waitLabel_->parentWidget())
        waitLabel_->move((area->width() - waitLabel_->width()) / 2, (area->height() - waitLabel_->height()) / 3);
    waitLabel_->show();
    waitLabel_->raise();
}

void AnimationPlayer::wait(double seconds) {
    const double secondOfDay = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    seconds = session::clampWaitToDayEnd(secondOfDay, seconds);
    waitFrameAdvance_ = viewer_.frameAdvance();
    waitClock_.start();
    timer_.start(static_cast<int>(std::lround(seconds * 1000)));
}

void AnimationPlayer::advance() {
    if (!growing_) return;
    viewer_.takeAdvanceRequest();
    if (timer_.isActive()) timer_.start(0);
}

void AnimationPlayer::frameAdvanceChanged() {
    if (!growing_ || !timer_.isActive() || viewer_.frameAdvance() == waitFrameAdvance_) return;
    // The wait goes on with the new length, counted from its start.
    waitFrameAdvance_ = viewer_.frameAdvance();
    const double length = session::fullSpeedWait(waitFrameAdvance_);
    const auto remaining = static_cast<qint64>(std::lround(length * 1000)) - waitClock_.elapsed();
    timer_.start(static_cast<int>(std::max<qint64>(0, remaining)));
}

void AnimationPlayer::stop() {
    if (viewer_.animationOn()) viewer_.stopAnimation();
    viewer_.takeAdvanceRequest();
    timer_.stop();
    if (starting_) return;   // the load ends first; start() then stops
    panel_.animateButton()->setText(QStringLiteral("Animate"));
    panel_.advanceNowButton()->hide();
    panel_.stopAnimationButton()->hide();
    if (!growing_) return;
    growing_.reset();
    set_.reset();
    if (waitLabel_) {
        waitLabel_->setText(QStringLiteral("                   Please Wait"));
        placeWaitLabel();
        waitLabel_->repaint();
    }
    panel_.refreshGraphs();
    if (waitLabel_) waitLabel_->hide();
}

}  // namespace skyloom::gui
