#include "gui/QtPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>

namespace skyloom::gui {

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString titleOr(std::string_view t) { return t.empty() ? QStringLiteral("Skyloom") : q(t); }

// The window whose command is running; one program thread, so one at a time.
QPointer<QWidget>& askingWindow() {
    static QPointer<QWidget> w;
    return w;
}
}  // namespace

QtPrompter::AskingWindow::AskingWindow(QWidget* w) : previous_(askingWindow()) {
    askingWindow() = w ? w->window() : nullptr;
}

QtPrompter::AskingWindow::~AskingWindow() { askingWindow() = previous_; }

QWidget* QtPrompter::dialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* asking = askingWindow(); asking && asking->isVisible()) return asking;
    if (QWidget* active = QApplication::activeWindow();
        active && active->isVisible() && active->windowType() != Qt::Popup && active->windowType() != Qt::ToolTip)
        return active;
    return parent_;
}

QString qtFileFilter(std::string_view filter) {
    QStringList parts = q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + parts[i + 1].replace(';', ' ') + ")";
    if (out.isEmpty()) out << q(filter);
    return out.join(";;");
}

void QtPrompter::message(std::string_view text, std::string_view title) {
    QMessageBox::information(dialogParent(), titleOr(title), q(text));
}

void QtPrompter::longMessage(std::string_view text, std::string_view title) {
    QDialog dlg(dialogParent());
    dlg.setWindowTitle(titleOr(title));
    auto* layout = new QVBoxLayout(&dlg);
    auto* edit = new QPlainTextEdit(q(text), &dlg);
    edit->setReadOnly(true);
    edit->setMinimumSize(640, 360);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    layout->addWidget(buttons);
    dlg.exec();
}

std::optional<std::string> QtPrompter::input(std::string_view prompt, std::string_view defaultValue) {
    bool ok = false;
    QString answer = QInputDialog::getText(dialogParent(), QStringLiteral("Skyloom"), q(prompt), QLineEdit::Normal,
                                           q(defaultValue), &ok);
    if (!ok || answer.isEmpty()) return std::nullopt;
    return answer.toStdString();
}

bool QtPrompter::ask(std::string_view question, std::string_view title, bool noIsDefault) {
    return QMessageBox::question(dialogParent(), titleOr(title), q(question), QMessageBox::Yes | QMessageBox::No,
                                 noIsDefault ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtPrompter::okCancel(std::string_view text, std::string_view title) {
    return QMessageBox::warning(parent_, titleOr(title), q(text), QMessageBox::Ok | QMessageBox::Cancel,
                                QMessageBox::Ok) == QMessageBox::Ok;
}

core::Prompter::Answer QtPrompter::askYesNoCancel(std::string_view question, std::string_view title) {
    auto r = QMessageBox::question(dialogParent(), titleOr(title), q(question),
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtPrompter::openFile(std::string_view title, std::string_view filter,
                                                std::string_view startFolder) {
    QString f = QFileDialog::getOpenFileName(dialogParent(), q(title), q(startFolder), qtFileFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

std::optional<std::string> QtPrompter::saveFile(std::string_view title, std::string_view filter,
                                                std::string_view proposed) {
    QString f = QFileDialog::getSaveFileName(dialogParent(), q(title), q(proposed), qtFileFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f.toStdString();
}

void QtPrompter::status(std::string_view text) {
    // The status bar of the main window; the caption keeps the page name.
    if (auto* main = parent_ ? qobject_cast<QMainWindow*>(parent_->window()) : nullptr)
        main->statusBar()->showMessage(q(text), 8000);
}

}  // namespace skyloom::gui
