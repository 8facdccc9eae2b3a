#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "core/Progress.h"

class QLabel;

namespace skyloom::gui {

// Long work of the session reports here: the wait label `PW` shows the caption,
// the window keeps repainting, and Esc pressed anywhere in the program asks the
// work to stop. One object serves the whole run; begin()/end() frame each piece of work.
class GuiProgress : public QObject, public core::Progress {
    Q_OBJECT
public:
    explicit GuiProgress(QLabel* waitLabel, QObject* parent = nullptr);

    void begin(const QString& caption);
    // Places the wait label for a piece of work (after its text is set); may be empty.
    std::function<void()> place;
    void end();
    bool running() const { return running_; }

    void step(std::int64_t done, std::int64_t total, std::string_view text = {}) override;
    bool cancelRequested() override;
    // Esc, or the tests: the running work stops at its next step.
    void requestCancel() { cancel_ = true; }
    int steps() const { return steps_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLabel> label_;
    QElapsedTimer sinceEvents_;
    bool running_ = false;
    bool cancel_ = false;
    int steps_ = 0;
};

}  // namespace skyloom::gui
