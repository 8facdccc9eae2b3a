#include "gui/PageCapture.h"

#include <filesystem>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QWidget>

#include "core/Prompter.h"
#include "core/DatabaseFile.h"
#include "core/WholeFile.h"
#include "gui/PageOutput.h"
#include "session/AnalysisCommands.h"

namespace skyloom::gui {

namespace {

// Hides the buttons and the dot for as long as it lives.
class CaptureScope {
public:
    explicit CaptureScope(const CapturedPage& page) : page_(page) {
        for (QWidget* b : page_.editButtons)
            if (b && b->isVisible()) {
                hidden_.push_back(b);
                b->hide();
            }
        if (page_.capturing) page_.capturing(true);
    }
    ~CaptureScope() {
        if (page_.capturing) page_.capturing(false);
        for (QWidget* b : hidden_) b->show();
    }
    CaptureScope(const CaptureScope&) = delete;
    CaptureScope& operator=(const CaptureScope&) = delete;

private:
    const CapturedPage& page_;
    QList<QWidget*> hidden_;
};

QString uniquePath(const QString& path) {
    if (!QFileInfo::exists(path)) return path;
    const QFileInfo info(path);
    for (int n = 2;; ++n) {
        QString candidate = info.path() + "/" + info.completeBaseName() + QStringLiteral(" (%1).").arg(n) + info.suffix();
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

std::string idText(long long id) { return QStringLiteral("%1").arg(id, 6, 10, QLatin1Char('0')).toStdString(); }

}  // namespace

bool printToPdf() {
    return qEnvironmentVariableIsSet("SKYLOOM_PRINT_TO_PDF") || QPrinterInfo::availablePrinterNames().isEmpty();
}

QPixmap capturePage(const CapturedPage& page) {
    CaptureScope scope(page);
    const QPixmap shot = page.window->grab();
    QScrollArea* area = page.unrolled;
    QWidget* column = area ? area->widget() : nullptr;
    if (!column || !area->isVisible()) return shot;
    const int hidden = column->height() - area->viewport()->height();
    if (hidden <= 0) return shot;
    // The column is drawn whole where the scroll area stands; what lies below the
    // scroll area moves down by the part that was out of view.
    const qreal ratio = shot.devicePixelRatio();
    const QRect view(area->mapTo(page.window, QPoint(0, 0)), area->size());
    const int cut = view.bottom() + 1;
    const int width = shot.width() / ratio;
    const int height = shot.height() / ratio;
    QPixmap whole(QSize(width, height + hidden) * ratio);
    whole.setDevicePixelRatio(ratio);
    whole.fill(page.window->palette().window().color());
    QPainter p(&whole);
    auto piece = [&](int top, int rows, int at) {
        p.drawPixmap(QRectF(0, at, width, rows), shot, QRectF(0, top * ratio, width * ratio, rows * ratio));
    };
    piece(0, cut, 0);
    piece(cut, height - cut, cut + hidden);
    p.fillRect(QRect(view.left(), view.top(), view.width(), view.height() + hidden), page.window->palette().window());
    p.drawPixmap(view.topLeft(), column->grab());
    p.end();
    return whole;
}

QString printPicture(const QPixmap& picture, bool landscape, const QString& pdfPath, bool* ok) {
    QPrinter printer(QPrinter::HighResolution);
    QString written;
    std::filesystem::path building;  // the PDF is written whole: under a temporary name, then renamed
    if (printToPdf()) {
        written = uniquePath(pdfPath);
        try {
            building = core::makeTemporaryBeside(written.toStdString(), "writing");
        } catch (const core::FileWriteError&) {
            if (ok) *ok = false;
            return {};
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(building.string()));
    }
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    bool started = painter.begin(&printer);
    if (started) {
        const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
        const PagePlacement p = fitToPage(picture.width(), picture.height(), area.width(), area.height());
        painter.drawPixmap(QRectF(p.left, p.top, p.width, p.height), picture, QRectF(picture.rect()));
        started = painter.end();
    }
    if (!building.empty()) {
        try {
            if (started) core::replaceWithWhole(building, written.toStdString());
        } catch (const core::FileWriteError&) {
            started = false;
        }
        std::error_code ec;
        if (!started) std::filesystem::remove(building, ec);
    }
    if (ok) *ok = started;
    return started ? written : QString();
}

bool outputPage(const CapturedPage& page, PageOutputKind kind, int code, session::AnalysisCommands& analyses,
                core::Prompter& prompter, const std::string& appDir, long long shownId) {
    const QPixmap picture = capturePage(page);
    switch (kind) {
    case PageOutputKind::Clipboard:
        QApplication::clipboard()->clear();
        QApplication::clipboard()->setPixmap(picture);
        break;
    case PageOutputKind::Bitmap: {
        const std::optional<std::string> path =
            askBitmapPath(prompter, appDir, page.bitmapBase + std::to_string(shownId) + ".bmp");
        if (!path) return false;
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.toImage().save(&buffer, "BMP") ||
            !core::tryWriteFileWhole(*path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
                 .empty()) {
            prompter.message("Could not write " + *path);
            return false;
        }
        break;
    }
    case PageOutputKind::PrintLandscape:
    case PageOutputKind::PrintPortrait: {
        bool ok = false;
        const QString pdf = printPicture(picture, kind == PageOutputKind::PrintLandscape,
                                         QString::fromStdString(appDir + page.bitmapBase + idText(shownId) + ".pdf"), &ok);
        if (!ok) {
            prompter.message("The page could not be printed.");
            return false;
        }
        if (!pdf.isEmpty())
            prompter.message("No printer is installed, so the page was printed to the file " + pdf.toStdString());
        break;
    }
    }
    // Every output is remembered with the analysis it showed; the code never
    // outlives this save, even a failed one.
    struct ResetTrigger {
        session::AnalysisCommands& a;
        ~ResetTrigger() { a.printTrigger = 0; }
    } reset{analyses};
    analyses.printTrigger = code;
    try {
        analyses.saveCurrentAnalysis();
    } catch (const std::exception& e) {
        prompter.message(core::databaseErrorText(e, appDir));
    }
    return true;
}

}  // namespace skyloom::gui
