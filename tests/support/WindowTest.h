#pragma once

// Helpers of the window tests (QtTest, offscreen); header-only, so the engine
// tests that share the support library need no Qt.

#include <functional>

#include <QComboBox>
#include <QLayout>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QString>
#include <QtTest>

#include "StartedFolder.h"
#include "gui/AnalysisPanel.h"
#include "gui/MainWindow.h"
#include "gui/PowerPageWindow.h"

namespace skyloom::test {

// The first shown label under top whose text does not fit it, across (one-line
// labels) or down (all), described for the failure message; empty when all fit.
inline QString cutLabel(const QWidget& top) {
    for (QLabel* l : top.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        const int tall = l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
        const int wide = l->wordWrap() ? 0 : l->fontMetrics().boundingRect(QRect(), 0, l->text()).width();
        if (tall > l->height() || wide > l->contentsRect().width())
            return QStringLiteral("%1 \"%2\" needs %3 x %4 px, has %5 x %6")
                .arg(l->objectName(), l->text())
                .arg(wide)
                .arg(tall)
                .arg(l->contentsRect().width())
                .arg(l->height());
    }
    return {};
}

inline QString rectText(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// True when a layout of w's parent (or one nested in it) places w: overlays that
// stand over the page on purpose (wait labels, tips) are placed by hand.
inline bool placedByLayout(QWidget* w) {
    QWidget* parent = w->parentWidget();
    if (!parent || !parent->layout()) return false;
    std::function<bool(QLayout*)> holds = [&](QLayout* l) {
        for (int i = 0; i < l->count(); ++i) {
            QLayoutItem* item = l->itemAt(i);
            if (item->widget() == w) return true;
            if (item->layout() && holds(item->layout())) return true;
        }
        return false;
    };
    return holds(parent->layout());
}

// The first problem of a shown window's layout, described; empty when there is
// none: a label too small for its text, a shown control that lies outside the
// window (a scrolled page counts as inside: its scroll bars reach it), or two
// shown sibling controls placed by a layout over each other.
inline QString layoutProblem(QWidget& top) {
    if (QString cut = cutLabel(top); !cut.isEmpty()) return cut;
    auto inScroll = [&](QWidget* w) {
        for (QWidget* a = w->parentWidget(); a && a != &top; a = a->parentWidget())
            if (a->objectName() == QLatin1String("qt_scrollarea_viewport")) return true;
        return false;
    };
    const QRect window = top.rect();
    for (QWidget* w : top.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow() || w->width() <= 0 || w->height() <= 0) continue;
        if (inScroll(w)) continue;
        const QRect at(w->mapTo(&top, QPoint(0, 0)), w->size());
        if (!window.contains(at))
            return QStringLiteral("%1 (%2) at %3,%4 %5x%6 lies outside the %7x%8 window")
                .arg(w->objectName(), w->metaObject()->className())
                .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height()).arg(window.width()).arg(window.height());
    }
    for (QWidget* parent : top.findChildren<QWidget*>()) {
        QList<QWidget*> kids;
        for (QObject* o : parent->children())
            if (auto* k = qobject_cast<QWidget*>(o); k && k->isVisible() && !k->isWindow() && placedByLayout(k))
                kids.push_back(k);
        for (int i = 0; i < kids.size(); ++i)
            for (int j = i + 1; j < kids.size(); ++j)
                if (kids[i]->geometry().intersects(kids[j]->geometry()))
                    return QStringLiteral("%1 (%2) at %5 and %3 (%4) at %6 overlap")
                        .arg(kids[i]->objectName(), kids[i]->metaObject()->className(), kids[j]->objectName(),
                             kids[j]->metaObject()->className())
                        .arg(rectText(kids[i]->geometry()), rectText(kids[j]->geometry()));
    }
    return {};
}

// Where the window tests leave pictures and files to look at:
// $SKYLOOM_SCREENSHOT_DIR (made when missing), else the temporary folder.
inline QString screenshotPath(const QString& file) {
    const QString dir = qEnvironmentVariable("SKYLOOM_SCREENSHOT_DIR", QDir::tempPath());
    QDir().mkpath(dir);
    return dir + "/" + file;
}

// Saves a picture of a shown window or widget for people to look at, once its
// layout has followed its latest texts; fails when a shown label is too small
// for its text, which the message names.
inline bool saveScreenshot(QWidget& shown, const QString& file) {
    QCoreApplication::processEvents();
    const QString tooSmall = cutLabel(shown);
    if (!tooSmall.isEmpty()) qWarning("%s: %s", qPrintable(file), qPrintable(tooSmall));
    return shown.grab().save(screenshotPath(file)) && tooSmall.isEmpty();
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

// The station most window tests analyse: two years of twice-daily soundings.
inline constexpr long kTestAlbany = 99901;

struct AlbanyFolder : StartedFolder {
    AlbanyFolder() { addStation(kTestAlbany, "ALBANY", 42.75, -73.8, 40); }
};

// The Main Page with Albany analysed, and the Power Page open beside it.
struct PowerPageShown {
    AlbanyFolder f;
    gui::MainWindow w{*f.s};
    gui::PowerPageWindow* p = nullptr;
    // True when both windows are shown and Albany was analysed.
    bool open() {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w) || !pickStation(w, kTestAlbany)) return false;
        p = w.openPowerPage();
        return QTest::qWaitForWindowExposed(p);
    }
};

}  // namespace skyloom::test
