#include "core/Prompter.h"

namespace skyloom::core {

void SilentPrompter::message(std::string_view text, std::string_view) { messages_.emplace_back(text); }

std::optional<std::string> SilentPrompter::input(std::string_view, std::string_view) { return std::nullopt; }

bool SilentPrompter::ask(std::string_view, std::string_view, bool noIsDefault) { return !noIsDefault; }

}  // namespace skyloom::core
