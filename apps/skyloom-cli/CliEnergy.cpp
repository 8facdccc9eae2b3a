#include "CliEnergy.h"

#include <optional>
#include <ostream>
#include <string>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "power/PowerProduction.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"

namespace skyloom::cli {

namespace {

struct EnergyOptions {
    std::optional<std::string> usage, storage, efficiency, buy, sell, generatorCost, storageCost;
};

// Hands a command-line value to a Power Page input handler as the user's answer,
// so the option gets the field's checks, messages and stored precision.
class OptionAnswer : public core::Prompter {
public:
    explicit OptionAnswer(std::string text) : text_(std::move(text)) {}
    void message(std::string_view text, std::string_view) override { refusal = text; }
    std::optional<std::string> input(std::string_view, std::string_view) override { return text_; }
    bool ask(std::string_view, std::string_view, bool) override { return false; }
    std::string refusal;

private:
    std::string text_;
};

void applyOption(const std::optional<std::string>& value, const char* option, power::EnergyField field,
                 power::PowerPageInputs& in) {
    if (!value) return;
    OptionAnswer answer(*value);
    const power::InputOutcome outcome = power::editEnergyField(field, answer, in);
    if (outcome == power::InputOutcome::Refused) throw CliError(std::string(option) + ": " + answer.refusal);
    if (outcome == power::InputOutcome::Cancelled) throw CliError(std::string(option) + " needs a value");
}

std::string generatorOption(CLI::App* analyse) {
    const CLI::Option* o = analyse ? analyse->get_option_no_throw("--generator") : nullptr;
    return o && o->count() > 0 ? o->as<std::string>() : std::string();
}

void printEnergy(std::ostream& out, const power::PowerPageEnergy& e) {
    const power::EnergyLines l = e.energyLines();
    const power::MoneyLines m = e.moneyLines();
    const power::NetCostLine net = e.netCostLine();
    out << "\nEnergy (MWhr/yr)\n"
        << "  Wind Generator Potential: " << l.potential << "\n";
    if (net.showLocalLines) out << "  Energy Used: " << l.used << "\n";
    out << "  Charge Losses: " << l.chargeLosses << "\n";
    if (net.showLocalLines) out << "  " << l.gridHeading << " " << l.grid << "\n";
    out << "  Energy Shortfall: " << l.shortfall << "\n"
        << "  % of Time Non Wind is needed: " << l.dieselPercent << "\n"
        << "  % needed from Non Wind: " << l.percentNonWind << "\n"
        << power::idleDaysLine(e.idle()) << "\n"
        << power::idleStartsLine(e.idle()) << "\n"
        << "\nMoney ($/yr)\n"
        << "  Purchased Energy MWhr/yr: " << m.bought << "\n"
        << "  Cost of energy purchased for lulls in wind and capacity shortfall: " << m.shortfallCost << "\n"
        << "  " << m.netCashHeading << " " << m.netCash << " per Yr\n";
    if (net.showLocalLines) out << "  Cost of energy used: " << m.usedEnergyCost << " $/kWhr\n";
    out << "  " << net.label << " " << net.value << " $/kWhr\n"
        << "  Net Savings: " << m.netSave << "\n";
}

// What `prepare` settled before the analysis, for `report` after it.
struct EnergySetUp {
    std::optional<power::GeneratorRecord> generator;
    power::PowerPageInputs inputs;
};

// Checks the options before the analysis runs, so a refused value stops the
// command before anything is printed.
void prepareEnergy(AnalyseRun& run, CLI::App* analyse, const EnergyOptions& o, EnergySetUp& setUp) {
    setUp.generator.reset();
    const std::string name = generatorOption(analyse);
    const bool anyOption = o.usage || o.storage || o.efficiency || o.buy || o.sell || o.generatorCost || o.storageCost;
    if (name.empty()) {
        if (anyOption) throw CliError("the energy and money options need --generator");
        return;
    }
    auto g = power::GeneratorStore(run.session.mainDb().db()).findByName(name);
    if (!g) throw CliError("there is no generator named '" + name + "'");

    power::PowerPageInputs& in = setUp.inputs;
    in = power::PowerPageInputs{};
    in.storeEff = 80;
    in.batDollarsPerYr = run.session.settings().getNumber("BatCostPerkWhrPerYr", 0);
    in.generatorCost = g->costPerYear;
    applyOption(o.usage, "--usage", power::EnergyField::Usage, in);
    applyOption(o.storage, "--storage", power::EnergyField::BankSize, in);
    applyOption(o.efficiency, "--efficiency", power::EnergyField::StoreEff, in);
    applyOption(o.buy, "--buy", power::EnergyField::BuyPrice, in);
    applyOption(o.sell, "--sell", power::EnergyField::SellPrice, in);
    applyOption(o.generatorCost, "--generator-cost", power::EnergyField::GeneratorCost, in);
    applyOption(o.storageCost, "--storage-cost", power::EnergyField::StorageCost, in);
    setUp.generator = std::move(g);
}

void reportEnergy(AnalyseRun& run, const EnergySetUp& setUp) {
    if (!setUp.generator) return;
    const power::GeneratorRecord& g = *setUp.generator;
    power::PowerPageEnergy e;
    e.inputs = setUp.inputs;
    e.maxToGrid = g.maxToGrid;
    e.stateOfCharge = run.session.stateOfCharge;

    // The generator power of every sounding at the height of interest, with the
    // temperature-and-pressure correction of that height.
    sounding::SoundingSet& set = run.analysis.soundings();
    const power::PowerModel model = power::PowerModel::fromGenerator(g);
    const power::LevelPowerResults levels = power::computeLevelPower(set, model);
    const double correction = 1.0 + power::heightEffect(levels, run.heightFeet);
    const auto powers = power::soundingPowerAtFeet(set, model, run.heightFeet, correction);
    const auto speeds = power::soundingSpeedsAtFeet(set, run.heightFeet);
    e.setSoundings(set, powers, speeds, model.curve.speed[0], model.curve.cutOut);
    e.run();

    const power::PowerPageInputs& in = e.inputs;
    run.result.set("aveused", in.aveUsed);
    run.result.set("BankSize", in.bankSize);
    run.result.set("BatDollarsPerkWhr", in.batDollarsPerYr);
    run.result.set("StoreEff", in.storeEff);
    run.result.set("ShortCost", in.buyPrice);
    run.result.set("SellPrice", in.sellPrice);
    run.result.set("GeneratorCost", in.generatorCost);
    run.result.set("StateOfCharge", e.stateOfCharge);
    for (const auto& [column, value] : power::energyRecordValues(e.balance(), e.money()))
        run.result.set(column, value);
    run.result.set("ActCF", core::roundSignificantA(e.idle().idleStartsPerYear));
    if (!run.json) printEnergy(run.out, e);
}

}  // namespace

void addEnergyOptions(CliContext&) {
    static EnergyOptions options;
    static CLI::App* analyse = nullptr;
    static EnergySetUp setUp;
    AnalyseExtension ext;
    ext.addOptions = [](CLI::App& cmd) {
        analyse = &cmd;
        cmd.add_option("--usage", options.usage, "Average local power demand, kW (default 0)");
        cmd.add_option("--storage", options.storage, "Capacity of the energy store, MWhr (default 0: no store)");
        cmd.add_option("--efficiency", options.efficiency, "kWhr out of the store per 100 kWhr put in (default 80)");
        cmd.add_option("--buy", options.buy, "Price of energy bought during shortfalls, $/kWhr (default 0)");
        cmd.add_option("--sell", options.sell, "Price the unused capacity is sold for, $/kWhr (default 0)");
        cmd.add_option("--generator-cost", options.generatorCost,
                       "Yearly cost of the generator, $ (default: the generator's own)");
        cmd.add_option("--storage-cost", options.storageCost,
                       "Yearly cost of storage per kWhr of capacity, $ (default: the setting)");
    };
    ext.prepare = [](AnalyseRun& run) { prepareEnergy(run, analyse, options, setUp); };
    ext.report = [](AnalyseRun& run) { reportEnergy(run, setUp); };
    addAnalyseExtension(std::move(ext));
}

}  // namespace skyloom::cli
