#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>

#include "core/Progress.h"
#include "core/Prompter.h"
#include "session/AnalysisCommands.h"
#include "session/Session.h"

namespace skyloom::cli {

// A refusal of the command: printed as one line, exit code 1.
struct CliError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Messages on standard output; questions and input boxes on the terminal. With
// no terminal (or at end of input) a question is answered No and an input box is
// cancelled, so scripts never hang.
class TerminalPrompter : public core::Prompter {
public:
    void message(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> input(std::string_view prompt, std::string_view defaultValue = {}) override;
    bool ask(std::string_view question, std::string_view title = {}, bool noIsDefault = false) override;
    Answer askYesNoCancel(std::string_view question, std::string_view title = {}) override;
    std::optional<std::string> openFile(std::string_view title, std::string_view filter,
                                        std::string_view startFolder = {}) override;
    bool quiet = false;            // --quiet: messages suppressed
    bool messagesToError = false;  // messages on standard error (while writing JSON)
};

// A progress bar on standard error, drawn only when it is a terminal.
class TerminalProgress : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t total, std::string_view text = {}) override;
    void finish();
private:
    int lastPercent_ = -1;
    std::string lastText_;
    bool drawn_ = false;
};

// What every command shares: the program folder and the session on it.
class CliContext {
public:
    std::string folder;      // --folder; empty = the default program folder
    TerminalPrompter prompter;
    TerminalProgress progress;

    std::string appDir() const;
    // Adds --folder to a command.
    void addFolderOption(CLI::App* cmd);
    // Adds --folder to every command and sub-command below app that lacks it.
    void addFolderOptionEverywhere(CLI::App& app);
    // The session on the program folder, started on first use; a folder that is
    // not set up or a database that does not open is a CliError.
    session::Session& session();

private:
    std::unique_ptr<session::Session> session_;
};

// Command groups, one file each.
void addFoundationCommands(CLI::App& app, CliContext& ctx);
void addImportCommands(CLI::App& app, CliContext& ctx);
void addOrderingCommands(CLI::App& app, CliContext& ctx);
// Imports the real observation samples the program carries; returns how many failed.
int installShippedSamples(CliContext& ctx);
// Writes the DEMO text files into "Text Data Files" and, with importToo, imports them.
void installDemoData(CliContext& ctx, bool importToo);
void addGeneratorCommands(CLI::App& app, CliContext& ctx);
void addAnalysisCommands(CLI::App& app, CliContext& ctx);
void addResourceCommands(CLI::App& app, CliContext& ctx);

}  // namespace skyloom::cli
