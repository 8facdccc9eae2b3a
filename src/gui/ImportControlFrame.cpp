#include "gui/ImportControlFrame.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Prompter.h"
#include "gui/GuiProgress.h"
#include "session/Session.h"

namespace skyloom::gui {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

WindowReviewDecider::WindowReviewDecider(ImportControlFrame& frame, GuiProgress& progress)
    : QObject(&frame), frame_(&frame), progress_(progress) {
    connect(&frame, &ImportControlFrame::accepted, this, [this] { decide(true); });
    connect(&frame, &ImportControlFrame::deleted, this, [this] { decide(false); });
}

void WindowReviewDecider::decide(bool accept) {
    if (!loop_ || answer_ >= 0) return;
    answer_ = accept ? 1 : 0;
    loop_->quit();
}

bool WindowReviewDecider::accept(const sounding::SoundingRecord& record, std::string_view rawText,
                                 std::string_view reason) {
    if (!frame_ || loop_) throw ReviewAbandoned();
    // The import's wait label takes every click; the review needs the buttons.
    const bool importShown = progress_.running();
    if (importShown) progress_.end();
    frame_->showReview(q(rawText), q(reason));
    emit frame_->wantsToBeSeen();
    emit frame_->soundingUnderReview(record);

    QEventLoop loop;
    loop_ = &loop;
    answer_ = -1;
    const QMetaObject::Connection gone = connect(frame_, &QObject::destroyed, &loop, &QEventLoop::quit);
    qApp->installEventFilter(this);
    emit reviewShown();
    if (answer_ < 0) loop.exec();   // a button may have been pressed from reviewShown already
    qApp->removeEventFilter(this);
    disconnect(gone);
    loop_ = nullptr;

    if (frame_) {
        frame_->endReview();
        emit frame_->reviewEnded();
    }
    if (answer_ < 0) throw ReviewAbandoned();
    if (importShown) progress_.begin(progressCaption);
    return answer_ == 1;
}

bool WindowReviewDecider::eventFilter(QObject* watched, QEvent* event) {
    if (!loop_ || !frame_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Close:
        // The window goes away under the review: the file's import is abandoned.
        if (widget && widget->isWindow() && widget == frame_->window()) loop_->quit();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        // Other commands would start work inside the waiting import; the frame and
        // the dialogs stay usable.
        if (!widget) return false;
        if (widget == frame_ || frame_->isAncestorOf(widget)) return false;
        if (qobject_cast<QDialog*>(widget->window())) return false;
        return true;
    default:
        return false;
    }
}

ImportControlFrame::ImportControlFrame(session::Session& session, GuiProgress& progress, QWidget* parent)
    : QGroupBox(QStringLiteral("Import Control"), parent), session_(session), progress_(progress),
      commands_(session) {
    setObjectName("ImportControl");
    auto* row = new QHBoxLayout(this);

    auto* criteria = new QGridLayout;
    auto* title = new QLabel(QStringLiteral("First Wind Info Review Criteria"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    criteria->addWidget(title, 0, 0, 1, 2);
    auto field = [this, criteria](QLineEdit*& edit, const char* name, const char* value, const char* label, int at) {
        auto* l = new QLabel(QString::fromLatin1(label), this);
        edit = new QLineEdit(QString::fromLatin1(value), this);
        edit->setObjectName(name);
        edit->setFixedWidth(56);
        criteria->addWidget(l, at, 0);
        criteria->addWidget(edit, at, 1, Qt::AlignTop);
    };
    field(lalt_, "Lalt", "250", "Auto accept and extrapolate to GND if first wind below this (feet AGL):", 1);
    auto* between = new QLabel(
        QStringLiteral("All first winds between these two altitudes will always come up for human review"), this);
    between->setStyleSheet("QLabel { color: rgb(0, 0, 160); }");
    criteria->addWidget(between, 2, 0, 1, 2);
    field(malt_, "Malt", "500", "Auto delete whole sounding if first wind above this (feet AGL):", 3);
    field(difGnd_, "DifGND", "30", "Max 0-500 feet wind dif allowed before review (knts):", 4);
    field(dif500_, "Dif500", "20", "Max 500 foot change wind dif allowed before review:", 5);
    criteria->setRowStretch(6, 1);
    row->addLayout(criteria);
    row->addSpacing(12);

    auto* middle = new QVBoxLayout;
    auto* counts = new QGridLayout;
    auto counter = [this, counts](QLabel*& value, const char* name, const char* label, int at) {
        counts->addWidget(new QLabel(QString::fromLatin1(label), this), at, 0);
        value = new QLabel(QStringLiteral("0"), this);
        value->setObjectName(name);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(60);
        counts->addWidget(value, at, 1);
    };
    counter(nsi_, "Nsi", "Num soundings imported:", 0);
    counter(ndi_, "Ndi", "Num data points imported:", 1);
    counter(nsd_, "Nsd", "Num soundings discarded:", 2);
    counter(ndd_, "Ndd", "Num data points discarded:", 3);
    middle->addLayout(counts);
    auto* commandsRow = new QHBoxLayout;
    begin_ = new QPushButton(QStringLiteral("Begin"), this);
    begin_->setObjectName("BeginIt");
    start_ = new QPushButton(QStringLiteral("Start"), this);
    start_->setObjectName("Start");
    commandsRow->addWidget(begin_);
    commandsRow->addWidget(start_);
    middle->addLayout(commandsRow);
    accept_ = new QPushButton(QStringLiteral("Accept Sounding"), this);
    accept_->setObjectName("AcceptIt");
    accept_->setStyleSheet("QPushButton { color: rgb(0, 110, 0); font-weight: bold; }");
    delete_ = new QPushButton(QStringLiteral("Delete Sounding"), this);
    delete_->setObjectName("deleteit");
    delete_->setStyleSheet("QPushButton { color: rgb(170, 0, 0); font-weight: bold; }");
    middle->addWidget(accept_);
    middle->addWidget(delete_);
    middle->addStretch(1);
    row->addLayout(middle);

    auto* right = new QVBoxLayout;
    stext_ = new QPlainTextEdit(this);
    stext_->setObjectName("Stext");
    stext_->setReadOnly(true);
    stext_->setLineWrapMode(QPlainTextEdit::NoWrap);
    stext_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    stext_->setMinimumWidth(360);
    stext_->setMinimumHeight(12 * stext_->fontMetrics().lineSpacing());
    right->addWidget(stext_, 1);
    reason_ = new QLabel(this);
    reason_->setObjectName("ReviewReason");
    reason_->setWordWrap(true);
    reason_->setStyleSheet("QLabel { color: rgb(170, 0, 0); }");
    right->addWidget(reason_);
    row->addLayout(right, 1);

    decider_ = new WindowReviewDecider(*this, progress_);
    commands_.decider = decider_;
    commands_.progress = &progress_;
    commands_.countsChanged = [this](const session::ImportCounts& c) { showCounts(c); };
    commands_.fileStarting = [this](const std::string& caption) {
        decider_->progressCaption = QStringLiteral("          ") + q(caption);
        progress_.begin(decider_->progressCaption);
    };
    commands_.fileEnded = [this] { progress_.end(); };

    connect(begin_, &QPushButton::clicked, this, &ImportControlFrame::beginImport);
    connect(start_, &QPushButton::clicked, this, &ImportControlFrame::startImport);
    connect(accept_, &QPushButton::clicked, this, &ImportControlFrame::accepted);
    connect(delete_, &QPushButton::clicked, this, &ImportControlFrame::deleted);
    endReview();
}

sounding::ReviewCriteria ImportControlFrame::criteria() const {
    return session::criteriaFromTexts(lalt_->text().toStdString(), malt_->text().toStdString(),
                                      difGnd_->text().toStdString(), dif500_->text().toStdString());
}

QString ImportControlFrame::countText(const char* name) const {
    auto* label = findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

void ImportControlFrame::showCounts(const session::ImportCounts& c) {
    nsi_->setText(QString::number(c.soundingsImported));
    ndi_->setText(QString::number(c.pointsImported));
    nsd_->setText(QString::number(c.soundingsDiscarded));
    ndd_->setText(QString::number(c.pointsDiscarded));
}

void ImportControlFrame::showReview(const QString& rawText, const QString& reason) {
    stext_->setPlainText(rawText);
    stext_->moveCursor(QTextCursor::Start);
    // A sounding comes up without a finding when its first wind lies between Lalt and Malt.
    reason_->setText(reason.trimmed().isEmpty()
                         ? QStringLiteral("The first wind lies between the two review altitudes.")
                         : reason.trimmed());
    accept_->show();
    delete_->show();
    accept_->setFocus();
    updateButtons();
}

void ImportControlFrame::endReview() {
    accept_->hide();
    delete_->hide();
    reason_->clear();
    updateButtons();
}

bool ImportControlFrame::reviewing() const { return decider_ && decider_->waiting(); }

void ImportControlFrame::updateButtons() {
    begin_->setEnabled(!importing_);
    start_->setEnabled(!importing_ && !commands_.chosenFile().empty());
}

bool ImportControlFrame::run(const std::function<bool()>& work) {
    if (importing_ || progress_.running()) return false;
    importing_ = true;
    updateButtons();
    commands_.criteria = criteria();
    bool any = false;
    try {
        any = work();
    } catch (const ReviewAbandoned&) {
        // The window is closing: the file stays as it was, nothing to say.
    } catch (const std::exception& e) {
        progress_.end();
        session_.prompter().message(std::string("The import stopped: ") + e.what());
    }
    importing_ = false;
    updateButtons();
    emit importsFinished(any);
    return any;
}

bool ImportControlFrame::beginImport() {
    return run([this] { return commands_.begin(); });
}

bool ImportControlFrame::startImport() {
    return run([this] { return commands_.start(); });
}

bool ImportControlFrame::importStationTextFiles(long wmo) {
    emit wantsToBeSeen();
    return run([this, wmo] { return commands_.importStationTextFiles(wmo); });
}

}  // namespace skyloom::gui
