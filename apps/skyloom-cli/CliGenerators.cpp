#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "power/GeneratorInfoStore.h"
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

// `generators --json`: every generator with its stored columns and, for a curve
// of the turbine library, where it comes from and what it is.
Json generatorListJson(GeneratorCli& g, SQLite::Database& db) {
    power::GeneratorInfoStore info(db);
    Json::Array list;
    for (const std::string& name : g.commands.list()) {
        const auto r = g.store.findByName(name);
        if (!r) continue;
        Json o = Json::object();
        o.set("Name", r->name);
        o.set("height", r->height);
        o.set("CutInSpeed", r->cutInSpeed);
        Json::Array points;
        for (const auto& p : r->points)
            if (p.speed != 0) points.push_back(Json(Json::Array{Json(p.speed), Json(p.kw)}));
        o.set("points", std::move(points));
        o.set("MaxKW", r->maxKW);
        o.set("CutOut", r->cutOut);
        o.set("Temperature", r->temperature);
        o.set("Pressure", r->pressure);
        o.set("CostPerYear", r->costPerYear);
        o.set("MaxToGrid", r->maxToGrid);
        o.set("OrgData", r->orgData);
        o.set("supplied", r->orgData != 0);
        if (const auto f = info.factsOf(*r)) {
            Json facts = Json::object();
            facts.set("class", f->turbineClass);
            facts.set("origin", f->origin.empty() ? Json() : Json(f->origin));
            facts.set("curveType", f->curveType.empty() ? Json() : Json(f->curveType));
            facts.set("ratedKW", f->ratedKW);
            facts.set("rotorDiameterMetres", f->rotorMetres > 0 ? Json(f->rotorMetres) : Json());
            facts.set("hubHeightMetres", f->hubMetres);
            facts.set("hubHeightFrom", f->hubRule);
            facts.set("cutOutMetresPerSecond", f->cutOutMs);
            facts.set("cutOutFrom", f->cutOutRule);
            facts.set("largestEnergyErrorPercent", core::roundHalfAwayFromZero(f->largestError * 100, 3));
            facts.set("fullCurvePoints", static_cast<long long>(f->fullCurveMs.size()));
            facts.set("source", "data/turbines/" + f->source);
            o.set("library", std::move(facts));
        }
        list.push_back(std::move(o));
    }
    return Json(std::move(list));
}

// `analyse --generator NAME --full-curve`: the power figures again on the
// published full curve of a library generator, beside those of its ten points.
void addFullCurveOption() {
    static bool fullCurve = false;
    static std::optional<power::GeneratorInfo> facts;
    AnalyseExtension e;
    e.addOptions = [](CLI::App& analyse) {
        analyse.add_flag("--full-curve", fullCurve,
                         "Also run the generator's published full curve instead of its ten points (library curves)");
    };
    e.prepare = [](AnalyseRun& run) {
        if (!fullCurve) return;
        const auto& g = run.page.power().generator();
        if (!g) throw CliError("--full-curve needs --generator");
        facts = power::GeneratorInfoStore(run.session.mainDb().db()).factsOf(*g);
        if (!facts || facts->fullCurveMs.empty())
            throw CliError("'" + g->name + "' has no published full curve; only the supplied library curves have one");
    };
    e.report = [](AnalyseRun& run) {
        const session::PowerListener& listener = run.page.power();
        if (!fullCurve || !facts || !listener.computed()) return;
        const auto a = listener.fullCurveAnalysisAt(run.analysis.soundings(),
                                                    facts->fullCurve(listener.generator()->cutOut), run.heightFeet,
                                                    run.units);
        // Figures to more places than the stored ones, so that the small cost of
        // the reduction shows.
        const auto tenPoints = listener.analysisAt(run.heightFeet, run.units);
        const double difference =
            a.potKW != 0 ? core::roundHalfAwayFromZero((tenPoints.potKW / a.potKW - 1) * 100, 2) : 0.0;
        Json full = Json::object();
        full.set("PotCF", a.potCF);
        full.set("PotkW", core::roundHalfAwayFromZero(a.potKW, 3));
        full.set("IdlePercent", core::roundHalfAwayFromZero(a.idlePercent, 2));
        full.set("TempPressPercent", a.tempPressPercent);
        full.set("tenPointPotCF", tenPoints.potCF);
        full.set("tenPointPotkW", core::roundHalfAwayFromZero(tenPoints.potKW, 3));
        full.set("tenPointDifferencePercent", difference);
        full.set("points", static_cast<long long>(facts->fullCurveMs.size()));
        full.set("source", "data/turbines/" + facts->source);
        run.result.set("fullCurve", std::move(full));
        if (run.json) return;
        run.out << "\nOn the published full curve (" << facts->fullCurveMs.size() << " points, data/turbines/"
                << facts->source << "):\n"
                << a.summary << "\n"
                << a.effectLine << "\n"
                << core::formatNumber(a.idlePercent, "0") << "% idle\n"
                << "Capacity factor " << core::formatNumber(a.potCF, "0.0") << "% on the full curve, "
                << core::formatNumber(tenPoints.potCF, "0.0") << "% on the ten points, whose power differs by "
                << core::formatNumber(difference, "0.00") << "%\n";
    };
    addAnalyseExtension(std::move(e));
}

}  // namespace

void addGeneratorCommands(CLI::App& app, CliContext& ctx) {
    addAnalysePowerOptions();
    addFullCurveOption();

    auto* list = app.add_subcommand("generators", "List the wind generators, the tallest first");
    ctx.addFolderOption(list);
    static bool listJson = false;
    list->add_flag("--json", listJson, "One JSON array with every column and, for the library's curves, their facts");
    list->callback([&ctx] {
        GeneratorCli g(ctx);
        if (listJson) {
            std::cout << generatorListJson(g, ctx.session().mainDb().db()).dump() << std::endl;
            return;
        }
        power::GeneratorInfoStore info(ctx.session().mainDb().db());
        std::cout << fmt::format("{:<48} {:>7} {:>9} {:>7} {:>7} {:>7}  {:<11}  {}\n", "Name", "Hub ft", "Max kW",
                                 "Cut-in", "Cut-out", "Rotor m", "Class", "Curve");
        for (const std::string& name : g.commands.list()) {
            const auto r = g.store.findByName(name);
            if (!r) continue;
            const auto facts = info.factsOf(*r);
            const std::string rotor = facts && facts->rotorMetres > 0 ? core::formatPlain(facts->rotorMetres) : "";
            const std::string line = fmt::format("{:<48} {:>7} {:>9} {:>7} {:>7} {:>7}  {:<11}  {:<11}{}", r->name,
                                                 r->height, r->maxKW, r->cutInSpeed, r->cutOut, rotor,
                                                 facts ? facts->turbineClass : "", facts ? facts->curveType : "",
                                                 r->orgData != 0 ? "  supplied" : "");
            std::cout << core::trim(line) << "\n";
        }
        std::cout << g.commands.list().size() << " generators (speeds in knots)" << std::endl;
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
