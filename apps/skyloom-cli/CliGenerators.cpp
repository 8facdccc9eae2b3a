#include <iostream>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "power/GeneratorStore.h"
#include "session/GeneratorCommands.h"
#include "session/PowerListener.h"
#include "session/PowerPage.h"
#include "session/Session.h"

namespace skyloom::cli {

namespace {

// The generator commands on the session's main database, in the session's units.
struct GeneratorCli {
    explicit GeneratorCli(CliContext& ctx)
        : store(ctx.session().mainDb().db()), commands(store, ctx.prompter, ctx.appDir()) {
        commands.setUnits(sounding::Units::fromSetting(ctx.session().settings().get("Units", "0")));
        commands.refresh();
    }
    power::GeneratorStore store;
    session::GeneratorCommands commands;
};

// `analyse --generator NAME`: the power figures of the generator at the height of interest.
void addAnalysePowerOptions() {
    static std::string generatorName;
    AnalyseExtension e;
    e.addOptions = [](CLI::App& analyse) {
        analyse.add_option("--generator", generatorName, "Wind generator whose power is computed at the height");
    };
    e.prepare = [](AnalyseRun& run) {
        if (generatorName.empty()) return;
        // The height of interest stays the one asked for on the command line.
        if (!run.page.chooseGenerator(generatorName, false))
            throw CliError("there is no generator named '" + generatorName + "'");
    };
    e.report = [](AnalyseRun& run) {
        const session::PowerListener& listener = run.page.power();
        if (generatorName.empty() || !listener.computed()) return;
        const auto a = listener.analysisAt(run.heightFeet, run.units);
        run.result.set("genname", listener.generator()->name);
        run.result.set("PotCF", core::roundSignificantB(a.potCF));
        run.result.set("PotkW", core::roundSignificantB(a.potKW));
        run.result.set("IdlePercent", core::roundSignificantB(a.idlePercent));
        run.result.set("TempPressPercent", core::roundSignificantB(a.tempPressPercent));
        if (run.json) return;
        run.out << "\nGenerator: " << listener.generator()->name << "\n"
                << a.summary << "\n"
                << a.effectLine << "\n"
                << core::formatNumber(a.idlePercent, "0") << "% idle\n";
    };
    addAnalyseExtension(std::move(e));
}

}  // namespace

void addGeneratorCommands(CLI::App& app, CliContext& ctx) {
    addAnalysePowerOptions();

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
