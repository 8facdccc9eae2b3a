#pragma once

#include <stdexcept>

#include <QGroupBox>
#include <QPointer>

#include "session/ImportCommands.h"
#include "sounding/ImportTypes.h"

class QEventLoop;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace skyloom::session { class Session; }

namespace skyloom::gui {

class GuiProgress;
class ImportControlFrame;

// A review that ended without an answer because its window was closed or the
// program ended. The import of that file is undone as a whole (its
// transaction rolls back), so nothing of it is stored and importing the file
// again asks again.
class ReviewAbandoned : public std::runtime_error {
public:
    ReviewAbandoned() : std::runtime_error("The sounding under review was not decided.") {}
};

// Puts a sounding that needs review before the user: its raw text in `Stext`,
// its findings, the two buttons, and the sounding on the height graphs (through
// the frame's signal). The import waits in a local event loop, so the window keeps
// painting; while it waits, only the frame and dialogs take clicks and keys.
class WindowReviewDecider : public QObject, public sounding::ReviewDecider {
    Q_OBJECT
public:
    WindowReviewDecider(ImportControlFrame& frame, GuiProgress& progress);

    // Throws ReviewAbandoned when the window closes or the program ends before a button is clicked.
    bool accept(const sounding::SoundingRecord& record, std::string_view rawText, std::string_view reason) override;
    bool waiting() const { return loop_ != nullptr; }
    // The wait label caption given back to the import when the review ends.
    QString progressCaption;

signals:
    // The sounding is shown and the import waits for a button.
    void reviewShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void decide(bool accept);

    QPointer<ImportControlFrame> frame_;
    GuiProgress& progress_;
    QEventLoop* loop_ = nullptr;
    int answer_ = -1;  // -1 none yet, 0 delete, 1 accept
};

// The Main Page's "Import Control" frame: the review criteria `Lalt`, `Malt`,
// `DifGND`, `Dif500`, the running counts, the sounding under review in `Stext`
// with "Accept Sounding" and "Delete Sounding", and the commands "Begin" and
// "Start". It runs the interactive imports through the session's import commands.
class ImportControlFrame : public QGroupBox {
    Q_OBJECT
public:
    ImportControlFrame(session::Session& session, GuiProgress& progress, QWidget* parent = nullptr);

    // The criteria as typed in the four fields.
    sounding::ReviewCriteria criteria() const;

    // `BeginIt`: a file choice, the file-name rule, the import.
    bool beginImport();
    // `Start`: the file Begin chose, again.
    bool startImport();
    // The text-file import of a station picked in a site list.
    bool importStationTextFiles(long wmo);
    bool importing() const { return importing_; }

    // The review: shows the raw text and the findings and the two buttons; endReview hides them.
    void showReview(const QString& rawText, const QString& reason);
    void endReview();
    bool reviewing() const;

    WindowReviewDecider& decider() { return *decider_; }
    session::ImportCommands& commands() { return commands_; }
    QLineEdit* laltField() const { return lalt_; }
    QLineEdit* maltField() const { return malt_; }
    QLineEdit* difGndField() const { return difGnd_; }
    QLineEdit* dif500Field() const { return dif500_; }
    QPlainTextEdit* stext() const { return stext_; }
    QLabel* reasonLabel() const { return reason_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* beginButton() const { return begin_; }
    QPushButton* startButton() const { return start_; }
    // The counters' shown numbers: `Nsi`, `Ndi`, `Nsd`, `Ndd`.
    QString countText(const char* name) const;

signals:
    void accepted();
    void deleted();
    // The frame must be seen (a review or an import begins).
    void wantsToBeSeen();
    // Draw this sounding on the height graphs, until reviewEnded.
    void soundingUnderReview(const sounding::SoundingRecord& record);
    void reviewEnded();
    // Imports ran: the station lists, the map and the graphs are shown again.
    void importsFinished(bool anyImported);

private:
    bool run(const std::function<bool()>& work);
    void showCounts(const session::ImportCounts& c);
    void updateButtons();

    session::Session& session_;
    GuiProgress& progress_;
    session::ImportCommands commands_;
    WindowReviewDecider* decider_ = nullptr;
    bool importing_ = false;

    QLineEdit* lalt_ = nullptr;
    QLineEdit* malt_ = nullptr;
    QLineEdit* difGnd_ = nullptr;
    QLineEdit* dif500_ = nullptr;
    QLabel* nsi_ = nullptr;
    QLabel* ndi_ = nullptr;
    QLabel* nsd_ = nullptr;
    QLabel* ndd_ = nullptr;
    QPlainTextEdit* stext_ = nullptr;
    QLabel* reason_ = nullptr;
    QPushButton* begin_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace skyloom::gui
