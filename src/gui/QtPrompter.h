#pragma once

#include <QPointer>
#include <QWidget>

#include "core/Prompter.h"

namespace skyloom::gui {

// The program's dialogue in Qt dialogs: message boxes, input boxes (the current
// value as default; an empty answer cancels), Yes/No questions, file dialogs and a
// scrollable window for long texts.
class QtPrompter : public core::Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    // The window a dialog is shown over: the dialog asked from (an input box of
    // the settings dialog), else the window whose command is running (see
    // AskingWindow), else the active window of the program, else the main window.
    // A dialog parented so is painted and stays above the window it was asked from.
    QWidget* dialogParent() const;

    // While one lives, the dialogs of the prompter are asked from this window
    // (its top-level window). Windows hold one while a click runs its command.
    class AskingWindow {
    public:
        explicit AskingWindow(QWidget* w);
        ~AskingWindow();
        AskingWindow(const AskingWindow&) = delete;
        AskingWindow& operator=(const AskingWindow&) = delete;

    private:
        QPointer<QWidget> previous_;
    };

    void message(std::string_view text, std::string_view title = {}) override;
    void longMessage(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> input(std::string_view prompt, std::string_view defaultValue = {}) override;
    bool ask(std::string_view question, std::string_view title = {}, bool noIsDefault = false) override;
    Answer askYesNoCancel(std::string_view question, std::string_view title = {}) override;
    bool okCancel(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> openFile(std::string_view title, std::string_view filter,
                                        std::string_view startFolder = {}) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter,
                                        std::string_view proposed = {}) override;
    void status(std::string_view text) override;

private:
    QPointer<QWidget> parent_;
};

// "Text Files|*.txt" → "Text Files (*.txt)".
QString qtFileFilter(std::string_view filter);

}  // namespace skyloom::gui
