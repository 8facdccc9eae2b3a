#include "gui/GuiProgress.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace skyloom::gui {

GuiProgress::GuiProgress(QLabel* waitLabel, QObject* parent) : QObject(parent), label_(waitLabel) {}

void GuiProgress::begin(const QString& caption) {
    running_ = true;
    cancel_ = false;
    steps_ = 0;
    qApp->installEventFilter(this);
    if (label_) {
        label_->setText(caption);
        if (place) place();
        label_->show();
        label_->raise();
        label_->repaint();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The first step handles events at once, so the window answers (and Esc is
    // seen) even when the whole work is over before the first interval.
    sinceEvents_.invalidate();
}

void GuiProgress::end() {
    if (!running_) return;
    running_ = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (label_) label_->hide();
}

void GuiProgress::step(std::int64_t, std::int64_t, std::string_view text) {
    ++steps_;
    if (label_ && !text.empty()) label_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    // Keep the window alive without spending the work's time on event handling.
    if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= 30) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        sinceEvents_.restart();
    }
}

bool GuiProgress::cancelRequested() { return cancel_; }

bool GuiProgress::eventFilter(QObject* watched, QEvent* event) {
    if (running_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancel_ = true;
        return true;
    }
    // While the work runs, clicks and typing would start other work inside it.
    if (running_ && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick ||
                     event->type() == QEvent::KeyPress))
        return true;
    return QObject::eventFilter(watched, event);
}

}  // namespace skyloom::gui
