#include "gui/WindResourceWindow.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "core/Prompter.h"
#include "core/WholeFile.h"
#include "display/ResourceCsv.h"
#include "gui/PageCapture.h"
#include "gui/PageOutput.h"
#include "gui/WindResourceRenderer.h"
#include "session/PowerPage.h"
#include "session/Session.h"

namespace skyloom::gui {

namespace {
constexpr int kCanvasWidth = 1000;
constexpr int kCanvasHeight = 620;
}  // namespace

WindResourceCanvas::WindResourceCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName("ResourceCanvas");
    setMinimumSize(kCanvasWidth, kCanvasHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void WindResourceCanvas::setGraphs(display::ResourceGraphs g) {
    graphs_ = std::move(g);
    update();
}

void WindResourceCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    WindResourceRenderer::paint(p, QRectF(rect()).adjusted(6, 4, -6, -6), graphs_);
}

WindResourceWindow::WindResourceWindow(session::PowerPage& page, QWidget* parent)
    : QWidget(parent, Qt::Window), page_(page) {
    setObjectName("WindResource");
    setWindowTitle(QStringLiteral("Wind Resource"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    buttons_ = new QWidget(this);
    auto* row = new QHBoxLayout(buttons_);
    row->setContentsMargins(0, 0, 0, 0);
    height_ = addButton("ResourceHeight", QString());
    connect(height_, &QPushButton::clicked, this, &WindResourceWindow::askHeight);
    row->addWidget(height_);
    row->addStretch(1);
    auto add = [&](const char* name, const QString& caption, auto action) {
        QPushButton* b = addButton(name, caption);
        connect(b, &QPushButton::clicked, this, action);
        row->addWidget(b);
    };
    add("ResourcePrint", QStringLiteral("Print"), [this] { print(true); });
    add("ResourceSavePicture", QStringLiteral("Save as Picture"), [this] { savePicture(); });
    add("ResourceSaveCsv", QStringLiteral("Save Figures as CSV"), [this] { saveCsv(); });
    // A capture hides the buttons; the figures keep their place.
    QSizePolicy keepPlace = buttons_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    buttons_->setSizePolicy(keepPlace);
    layout->addWidget(buttons_);
    canvas_ = new WindResourceCanvas(this);
    layout->addWidget(canvas_, 1);
    heightFeet_ = page_.heightFeet();
    // A change of the unit mode shows the figures in the new units at once.
    unitsListener_ = page_.session().addUnitsListener([this] {
        if (isVisible()) refresh();
    });
}

WindResourceWindow::~WindResourceWindow() { page_.session().removeUnitsListener(unitsListener_); }

QPushButton* WindResourceWindow::addButton(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, buttons_);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

sounding::Units WindResourceWindow::shownUnits() const { return page_.session().displayUnits(); }

QPushButton* WindResourceWindow::button(const QString& name) const { return findChild<QPushButton*>(name); }

void WindResourceWindow::showAt(double heightFeet) {
    heightFeet_ = heightFeet;
    followedHeight_ = page_.heightFeet();
    const sounding::Units units = shownUnits();
    run_ = session::windResourceOf(page_, heightFeet_, units);
    height_->setText(QStringLiteral("Height: %1 (click to change)")
                         .arg(QString::fromStdString(display::resourceHeightText(heightFeet_, units))));
    canvas_->setGraphs(display::buildResourceGraphs(run_.resource, run_.heading));
}

void WindResourceWindow::refresh() {
    // The height of interest picked on the pages leads; the window's own choice
    // stays until it changes.
    showAt(page_.heightFeet() != followedHeight_ ? page_.heightFeet() : heightFeet_);
}

void WindResourceWindow::askHeight() {
    core::Prompter& prompter = page_.session().prompter();
    const sounding::Units units = shownUnits();
    for (;;) {
        const auto answer = prompter.input(session::resourceHeightPrompt(units),
                                           display::resourceHeightText(heightFeet_, units));
        if (!answer) return;
        std::string refusal;
        if (const auto feet = session::resourceHeightFeet(*answer, units, refusal)) {
            if (*feet != heightFeet_) showAt(*feet);
            return;
        }
        prompter.message(refusal);
    }
}

std::string WindResourceWindow::proposedName(const std::string& extension) const {
    return "Wind Resource " + std::to_string(run_.heading.wmo) + " " +
           display::resourceHeightText(heightFeet_, run_.resource.units) + extension;
}

QPixmap WindResourceWindow::picture() {
    CapturedPage page;
    page.window = this;
    page.editButtons = {buttons_};
    page.bitmapBase = "Wind Resource ";
    return capturePage(page);
}

bool WindResourceWindow::print(bool landscape) {
    core::Prompter& prompter = page_.session().prompter();
    bool ok = false;
    const QString pdf = printPicture(picture(), landscape,
                                     QString::fromStdString(page_.session().appDir() + proposedName(".pdf")), &ok);
    if (!ok) {
        prompter.message("The page could not be printed.");
        return false;
    }
    if (!pdf.isEmpty()) prompter.message("No printer is installed, so the page was printed to the file " + pdf.toStdString());
    return true;
}

bool WindResourceWindow::savePicture() {
    core::Prompter& prompter = page_.session().prompter();
    const QPixmap shot = picture();
    const auto path = askBitmapPath(prompter, page_.session().appDir(), proposedName(".bmp"));
    if (!path) return false;
    QSaveFile file(QString::fromStdString(*path));
    if (!file.open(QIODevice::WriteOnly) || !shot.toImage().save(&file, "BMP") || !file.commit()) {
        prompter.message("Could not write " + *path);
        return false;
    }
    return true;
}

bool WindResourceWindow::saveCsv() {
    core::Prompter& prompter = page_.session().prompter();
    if (!run_.resource.computed) {
        prompter.message(run_.resource.message);
        return false;
    }
    const auto path = prompter.saveFile("Save the wind resource figures", "CSV Files|*.csv",
                                        page_.session().appDir() + proposedName(".csv"));
    if (!path) return false;
    const std::string why = core::tryWriteFileWhole(*path, display::resourceCsvText(run_.resource, run_.heading));
    if (!why.empty()) {
        prompter.message("Could not write " + *path + ": " + why);
        return false;
    }
    prompter.message("The wind resource figures were saved in " + *path);
    return true;
}

}  // namespace skyloom::gui
