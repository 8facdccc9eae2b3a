#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace skyloom::test {

ScriptedPrompter& ScriptedPrompter::answer(std::string text) { queue_.push_back({Item::Text, std::move(text)}); return *this; }
ScriptedPrompter& ScriptedPrompter::cancel() { queue_.push_back({Item::Cancel, {}}); return *this; }
ScriptedPrompter& ScriptedPrompter::yes() { queue_.push_back({Item::Yes, {}}); return *this; }
ScriptedPrompter& ScriptedPrompter::no() { queue_.push_back({Item::No, {}}); return *this; }
ScriptedPrompter& ScriptedPrompter::cancelQuestion() { queue_.push_back({Item::CancelQ, {}}); return *this; }
ScriptedPrompter& ScriptedPrompter::file(std::string path) { queue_.push_back({Item::File, std::move(path)}); return *this; }
ScriptedPrompter& ScriptedPrompter::noFile() { queue_.push_back({Item::NoFile, {}}); return *this; }

ScriptedPrompter& ScriptedPrompter::ok() { queue_.push_back({Item::Ok, {}}); return *this; }
ScriptedPrompter& ScriptedPrompter::giveUp() { queue_.push_back({Item::GiveUp, {}}); return *this; }

ScriptedPrompter::Item ScriptedPrompter::next(const char* what, std::string_view shownText) {
    if (queue_.empty()) {
        ADD_FAILURE() << "unexpected " << what << ": " << shownText;
        return {Item::Cancel, {}};
    }
    Item item = queue_.front();
    queue_.pop_front();
    return item;
}

void ScriptedPrompter::message(std::string_view text, std::string_view) {
    shown.emplace_back(text);
    messages.emplace_back(text);
}

void ScriptedPrompter::longMessage(std::string_view text, std::string_view title) { message(text, title); }

std::optional<std::string> ScriptedPrompter::input(std::string_view prompt, std::string_view defaultValue) {
    shown.emplace_back(prompt);
    prompts.emplace_back(prompt);
    defaults.emplace_back(defaultValue);
    Item item = next("input box", prompt);
    if (item.kind == Item::Text) {
        if (item.text.empty()) return std::nullopt;   // an empty answer cancels
        return item.text;
    }
    if (item.kind != Item::Cancel) ADD_FAILURE() << "input box answered with a non-text item: " << prompt;
    return std::nullopt;
}

bool ScriptedPrompter::ask(std::string_view question, std::string_view, bool) {
    shown.emplace_back(question);
    questions.emplace_back(question);
    Item item = next("question", question);
    if (item.kind != Item::Yes && item.kind != Item::No)
        ADD_FAILURE() << "question answered with a non-Yes/No item: " << question;
    return item.kind == Item::Yes;
}

bool ScriptedPrompter::okCancel(std::string_view text, std::string_view title) {
    message(text, title);
    Item item = next("OK/Cancel message", text);
    if (item.kind != Item::Ok && item.kind != Item::GiveUp)
        ADD_FAILURE() << "OK/Cancel message answered with another item: " << text;
    return item.kind == Item::Ok;
}

core::Prompter::Answer ScriptedPrompter::askYesNoCancel(std::string_view question, std::string_view) {
    shown.emplace_back(question);
    questions.emplace_back(question);
    Item item = next("question", question);
    if (item.kind == Item::Yes) return Answer::Yes;
    if (item.kind == Item::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> ScriptedPrompter::openFile(std::string_view title, std::string_view, std::string_view) {
    Item item = next("open-file choice", title);
    if (item.kind == Item::File) return item.text;
    return std::nullopt;
}

std::optional<std::string> ScriptedPrompter::saveFile(std::string_view title, std::string_view, std::string_view) {
    Item item = next("save-file choice", title);
    if (item.kind == Item::File) return item.text;
    return std::nullopt;
}

}  // namespace skyloom::test
