#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {

// Every message box, input box, question and file choice the user sees goes
// through this interface: the windows show dialogs, the command-line tool uses
// the terminal, the tests answer from a script.
class Prompter {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompter() = default;

    // A message box with an OK button.
    virtual void message(std::string_view text, std::string_view title = {}) = 0;
    // A message too long for a message box (scrollable window with OK).
    virtual void longMessage(std::string_view text, std::string_view title = {}) { message(text, title); }
    // An input box; nullopt when the user cancelled or left the answer empty.
    virtual std::optional<std::string> input(std::string_view prompt,
                                             std::string_view defaultValue = {}) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(std::string_view question, std::string_view title = {},
                     bool noIsDefault = false) = 0;
    // A message the user can act on before going on: OK goes on (true), Cancel
    // gives up (false). Where no one can act on it (the command line, quiet
    // background work) it is shown and answered Cancel, so the work stops
    // instead of asking for ever.
    virtual bool okCancel(std::string_view text, std::string_view title = {}) {
        message(text, title);
        return false;
    }
    // A Yes/No/Cancel question.
    virtual Answer askYesNoCancel(std::string_view question, std::string_view title = {}) {
        return ask(question, title) ? Answer::Yes : Answer::No;
    }
    // File choices; nullopt when cancelled. filter is like "Text Files|*.txt".
    virtual std::optional<std::string> openFile(std::string_view title, std::string_view filter,
                                                std::string_view startFolder = {}) {
        (void)title; (void)filter; (void)startFolder;
        return std::nullopt;
    }
    virtual std::optional<std::string> saveFile(std::string_view title, std::string_view filter,
                                                std::string_view proposed = {}) {
        (void)title; (void)filter; (void)proposed;
        return std::nullopt;
    }
    // A short status text (window caption, status bar, or nothing).
    virtual void status(std::string_view text) { (void)text; }
};

// A prompter that shows nothing and answers every question with its default:
// for quiet background work and benchmarks.
class SilentPrompter : public Prompter {
public:
    void message(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> input(std::string_view prompt, std::string_view defaultValue = {}) override;
    bool ask(std::string_view question, std::string_view title = {}, bool noIsDefault = false) override;
    const std::vector<std::string>& messages() const { return messages_; }
private:
    std::vector<std::string> messages_;
};

}  // namespace skyloom::core
