#include <iostream>

#include <CLI/CLI.hpp>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "CliEnergy.h"
#include "core/DatabaseFile.h"

int main(int argc, char** argv) {
    using namespace skyloom::cli;
    CLI::App app{"Skyloom: wind statistics, power and money of radiosonde sites"};
    app.require_subcommand(1);
    // No one waits at a command: it waits longer for another program's work on the folder.
    skyloom::core::setBusyTimeout(20000);
    CliContext ctx;
    app.add_option("--folder", ctx.folder, "Program folder (default: the per-user data folder)");
    app.add_flag("--quiet", ctx.prompter.quiet, "Do not print messages");

    addFoundationCommands(app, ctx);
    addImportCommands(app, ctx);
    addAnalyseCommands(app, ctx);
    addOrderingCommands(app, ctx);
    addGeneratorCommands(app, ctx);
    addEnergyOptions(ctx);
    addAnalysisCommands(app, ctx);
    addResourceCommands(app, ctx);
    // Every command takes --folder wherever it stands on the line, also after a
    // sub-command (`order add 72518 --folder DIR`).
    ctx.addFolderOptionEverywhere(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const CliError& e) {
        ctx.progress.finish();
        std::cerr << "skyloom-cli: " << e.what() << std::endl;
        return 1;
    } catch (const std::exception& e) {
        ctx.progress.finish();
        if (skyloom::core::isLockedError(e)) {
            std::cerr << "skyloom-cli: " << skyloom::core::databaseErrorText(e, ctx.appDir()) << std::endl;
            return 1;
        }
        std::cerr << "skyloom-cli: " << e.what() << std::endl;
        return 2;
    }
    return 0;
}
