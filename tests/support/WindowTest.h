#pragma once

// Helpers of the window tests (QtTest, offscreen); header-only, so the engine
// tests that share the support library need no Qt.

#include <QComboBox>
#include <QDir>
#include <QString>

#include "gui/AnalysisPanel.h"
#include "gui/MainWindow.h"

namespace skyloom::test {

// Where the window tests leave pictures and files to look at:
// $SKYLOOM_SCREENSHOT_DIR (made when missing), else the temporary folder.
inline QString screenshotPath(const QString& file) {
    const QString dir = qEnvironmentVariable("SKYLOOM_SCREENSHOT_DIR", QDir::tempPath());
    QDir().mkpath(dir);
    return dir + "/" + file;
}

// Picks the station in the Analysis page's drop-down, as a user does; true when
// it is listed and was analysed.
inline bool pickStation(gui::MainWindow& w, long wmo) {
    QComboBox* combo = w.analysisPanel()->siteCombo();
    const int i = combo->findData(static_cast<qlonglong>(wmo));
    if (i < 0) return false;
    emit combo->activated(i);
    return w.analysisPanel()->lastOutcome() == session::AnalysisOutcome::Analysed;
}

}  // namespace skyloom::test
