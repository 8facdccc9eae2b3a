#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompter.h"

namespace skyloom::test {

// Answers input boxes and questions from a queue and records every text shown.
// An unexpected question (queue empty) fails the running test.
class ScriptedPrompter : public core::Prompter {
public:
    // Queue answers in the order the program will ask for them.
    ScriptedPrompter& answer(std::string text);      // next input box gets this text
    ScriptedPrompter& cancel();                      // next input box is cancelled
    ScriptedPrompter& yes();                         // next question: Yes
    ScriptedPrompter& no();                          // next question: No
    ScriptedPrompter& cancelQuestion();              // next Yes/No/Cancel: Cancel
    ScriptedPrompter& file(std::string path);        // next file choice
    ScriptedPrompter& noFile();                      // next file choice cancelled
    ScriptedPrompter& ok();                          // next OK/Cancel message: OK
    ScriptedPrompter& giveUp();                      // next OK/Cancel message: Cancel

    void message(std::string_view text, std::string_view title = {}) override;
    void longMessage(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> input(std::string_view prompt, std::string_view defaultValue = {}) override;
    bool ask(std::string_view question, std::string_view title = {}, bool noIsDefault = false) override;
    Answer askYesNoCancel(std::string_view question, std::string_view title = {}) override;
    // Shown as a message; the answer comes from the queue (ok() or giveUp()).
    bool okCancel(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> openFile(std::string_view title, std::string_view filter,
                                        std::string_view startFolder = {}) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter,
                                        std::string_view proposed = {}) override;
    void status(std::string_view text) override { statuses.emplace_back(text); }

    // Everything shown, in order: messages, long messages, prompts and questions.
    std::vector<std::string> shown;
    std::vector<std::string> messages;      // message() and longMessage() texts only
    std::vector<std::string> prompts;       // input() prompts
    std::vector<std::string> defaults;      // input() default values
    std::vector<std::string> questions;     // ask()/askYesNoCancel() texts
    std::vector<std::string> statuses;
    bool allAnswersUsed() const { return queue_.empty(); }
    std::string lastMessage() const { return messages.empty() ? std::string() : messages.back(); }

private:
    struct Item { enum Kind { Text, Cancel, Yes, No, CancelQ, File, NoFile, Ok, GiveUp } kind; std::string text; };
    Item next(const char* what, std::string_view shownText);
    std::deque<Item> queue_;
};

}  // namespace skyloom::test
