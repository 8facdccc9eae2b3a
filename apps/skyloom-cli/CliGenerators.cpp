#include <iostream>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "CliContext.h"
#include "power/GeneratorStore.h"
#include "session/GeneratorCommands.h"

namespace skyloom::cli {

namespace {

// The generator commands on the session's main database, in the session's units.
struct GeneratorCli {
    explicit GeneratorCli(CliContext& ctx)
        : store(ctx.session().mainDb().db()), commands(store, ctx.prompter, ctx.appDir()) {
        commands.setUnits(session::GeneratorUnits::fromSetting(ctx.session().units));
        commands.refresh();
    }
    power::GeneratorStore store;
    session::GeneratorCommands commands;
};

}  // namespace

void addGeneratorCommands(CLI::App& app, CliContext& ctx) {
    auto* list = app.add_subcommand("generators", "List the wind generators, the tallest first");
    ctx.addFolderOption(list);
    list->callback([&ctx] {
        GeneratorCli g(ctx);
        std::cout << fmt::format("{:<30} {:>8} {:>9} {:>8} {:>8}  {}\n", "Name", "Hub ft", "Max kW", "Cut-in",
                                 "Cut-out", "(knots)");
        for (const std::string& name : g.commands.list()) {
            const auto r = g.store.findByName(name);
            if (!r) continue;
            std::cout << fmt::format("{:<30} {:>8} {:>9} {:>8} {:>8}{}\n", r->name, r->height, r->maxKW,
                                     r->cutInSpeed, r->cutOut, r->orgData != 0 ? "  supplied" : "");
        }
        std::cout << g.commands.list().size() << " generators" << std::endl;
    });

    auto* gen = app.add_subcommand("generator", "Export or import a generator text file");
    gen->require_subcommand(1);

    auto* exp = gen->add_subcommand("export", "Write a generator to its text file");
    ctx.addFolderOption(exp);
    static std::string exportName;
    static std::string exportFile;
    exp->add_option("NAME", exportName, "Generator name")->required();
    exp->add_option("FILE", exportFile, "File to write (default: the program folder, NAME.txt)");
    exp->callback([&ctx] {
        GeneratorCli g(ctx);
        if (!g.commands.choose(exportName)) throw CliError("there is no generator named '" + exportName + "'");
        const auto written =
            g.commands.exportCurrent(exportFile.empty() ? std::nullopt : std::optional<std::string>(exportFile));
        if (!written) throw CliError("nothing was exported");
    });

    auto* imp = gen->add_subcommand("import", "Add a generator from a text file");
    ctx.addFolderOption(imp);
    static std::string importFile;
    static std::string importName;
    imp->add_option("FILE", importFile, "Generator text file")->required();
    imp->add_option("--name", importName, "Name for the new generator instead of the one in the file");
    imp->callback([&ctx] {
        GeneratorCli g(ctx);
        if (!g.commands.importFile(importFile,
                                   importName.empty() ? std::nullopt : std::optional<std::string>(importName)))
            throw CliError("nothing was imported");
        std::cout << "Imported '" << g.commands.current()->name << "'" << std::endl;
    });
}

}  // namespace skyloom::cli
