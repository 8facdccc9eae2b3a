#include "CliContext.h"

#include <iostream>
#include <unistd.h>

#include "core/FileOps.h"
#include "session/ProgramFolder.h"

namespace skyloom::cli {

namespace {
bool readLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}
}  // namespace

void TerminalPrompter::message(std::string_view text, std::string_view) {
    if (quiet) return;
    (messagesToError ? std::cerr : std::cout) << text << std::endl;
}

std::optional<std::string> TerminalPrompter::input(std::string_view prompt, std::string_view defaultValue) {
    std::cout << prompt;
    if (!defaultValue.empty()) std::cout << " [" << defaultValue << "]";
    std::cout << ": " << std::flush;
    std::string line;
    if (!readLine(line)) {
        std::cout << std::endl;
        return std::nullopt;
    }
    if (line.empty()) line = std::string(defaultValue);
    if (line.empty()) return std::nullopt;
    return line;
}

bool TerminalPrompter::ask(std::string_view question, std::string_view, bool) {
    std::cout << question << " [y/n]: " << std::flush;
    std::string line;
    if (!readLine(line)) {
        std::cout << "n" << std::endl;
        return false;
    }
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

core::Prompter::Answer TerminalPrompter::askYesNoCancel(std::string_view question, std::string_view) {
    std::cout << question << " [y/n/c]: " << std::flush;
    std::string line;
    if (!readLine(line)) return Answer::Cancel;
    if (!line.empty() && (line[0] == 'y' || line[0] == 'Y')) return Answer::Yes;
    if (!line.empty() && (line[0] == 'n' || line[0] == 'N')) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> TerminalPrompter::openFile(std::string_view title, std::string_view, std::string_view) {
    return input(title, {});
}

void TerminalProgress::step(std::int64_t done, std::int64_t total, std::string_view text) {
    if (total <= 0 || !::isatty(STDERR_FILENO)) return;
    int percent = static_cast<int>(100 * done / total);
    if (percent == lastPercent_ && text == lastText_) return;
    lastPercent_ = percent;
    lastText_ = text;
    constexpr int width = 40;
    int filled = percent * width / 100;
    std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << percent << "% "
              << std::string(text.substr(0, 60)) << "\033[K" << std::flush;
    drawn_ = true;
}

void TerminalProgress::finish() {
    if (drawn_) std::cerr << "\r\033[K" << std::flush;
    drawn_ = false;
    lastPercent_ = -1;
    lastText_.clear();
}

std::string CliContext::appDir() const {
    return folder.empty() ? session::defaultProgramFolder() : session::ensureTrailingSlash(folder);
}

void CliContext::addFolderOption(CLI::App* cmd) {
    cmd->add_option("--folder", folder, "Program folder (default: the per-user data folder)");
}

void CliContext::addFolderOptionEverywhere(CLI::App& app) {
    for (CLI::App* cmd : app.get_subcommands([](CLI::App*) { return true; })) {
        if (!cmd->get_option_no_throw("--folder")) addFolderOption(cmd);
        addFolderOptionEverywhere(*cmd);
    }
}

session::Session& CliContext::session() {
    if (session_) return *session_;
    const std::string dir = appDir();
    auto s = std::make_unique<session::Session>(dir, prompter);
    // Held (and put right after an interrupted compaction) before the database is looked for.
    if (!s->holdFolder()) throw CliError("the program folder '" + dir + "' is in use by another program");
    if (!core::fileExists(dir + core::MainDatabase::kFileName))
        throw CliError("no program folder at '" + dir + "' (run: skyloom-cli init --folder " + dir + ")");
    switch (s->startUp(&progress)) {
        case session::Session::StartResult::Ready: break;
        case session::Session::StartResult::UpdatePending:
            throw CliError("a program update is pending; the updater was started");
        case session::Session::StartResult::BadDatabase:
            throw CliError("the main database in '" + dir + "' could not be opened");
        case session::Session::StartResult::FolderInUse:
            throw CliError("the program folder '" + dir + "' is in use by another program");
    }
    progress.finish();
    session_ = std::move(s);
    return *session_;
}

}  // namespace skyloom::cli
