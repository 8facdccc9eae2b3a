#include "power/EnergyInputs.h"

#include <functional>
#include <optional>

#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "core/TypedNumber.h"

namespace skyloom::power {

namespace {

struct FieldRule {
    const char* prompt;
    // The refusal message for a value out of range, or nullptr when it is valid.
    std::function<const char*(double)> refusal;
    std::function<double(double)> stored;
    // What the field sensibly holds where its fixed rules leave it open.
    core::SensibleRange sensible;
};

InputOutcome editField(core::Prompter& p, double& field, const FieldRule& rule) {
    const std::string current = inputText(field);
    const std::optional<std::string> answer = p.input(rule.prompt, current);
    if (!answer) return InputOutcome::Cancelled;
    const std::string typed = core::trim(*answer);
    if (typed.empty()) return InputOutcome::Cancelled;
    if (typed == current) return InputOutcome::Unchanged;

    // Letters are no number: the field keeps its value and the user hears what it takes.
    const std::optional<double> number = core::typedNumber(typed);
    if (!number) {
        p.message(core::expectedNumberText(rule.sensible));
        return InputOutcome::Refused;
    }
    const double value = *number;
    if (value == field) return InputOutcome::Unchanged;
    if (const char* refusal = rule.refusal(value)) {
        p.message(refusal);
        return InputOutcome::Refused;
    }
    if (!rule.sensible.contains(value)) {
        p.message(core::expectedNumberText(rule.sensible));
        return InputOutcome::Refused;
    }
    const double kept = rule.stored(value);
    if (kept == field) return InputOutcome::Unchanged;
    field = kept;
    return InputOutcome::Changed;
}

double toDecimals(double v, int decimals) { return core::roundHalfAwayFromZero(v, decimals); }

double wholeFromTen(double v) { return toDecimals(v, v >= 10.0 ? 0 : 2); }

const char* tooBigAboveMillion(double v) { return v > 1000000.0 ? "Too big a value." : nullptr; }

const char* priceRefusal(double v) {
    if (v < 0.0) return "You must enter a $/kwhr that is greater than or equal to 0.";
    if (v > 100.0) return "You must enter a $/kwhr that is less than or equal to 100.";
    return nullptr;
}

}  // namespace

BalanceInputs balanceInputs(const PowerPageInputs& in, double maxToGrid, double stateOfCharge) {
    return BalanceInputs{in.aveUsed, in.bankSize, in.storeEff, maxToGrid, stateOfCharge};
}

MoneyInputs moneyInputs(const PowerPageInputs& in) {
    return MoneyInputs{in.aveUsed, in.bankSize, in.batDollarsPerYr, in.buyPrice, in.sellPrice, in.generatorCost};
}

std::string inputText(double value) {
    return core::formatPlain(value);
}

std::string usageText(double kw) { return core::formatNumber(kw, kw >= 10.0 ? "0" : "0.00"); }

InputOutcome editUsage(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.aveUsed,
                     {"New Total Average Power Used by Power Grid (kW)?",
                      [](double v) { return v < 0.0 ? "You must enter a kW that is greater than 0." : nullptr; },
                      wholeFromTen, {0, 1000000, "kW"}});
}

InputOutcome editBankSize(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.bankSize,
                     {"What is the total capacity of the energy storage system (Mwhrs)?", tooBigAboveMillion,
                      [](double v) { return toDecimals(v, 2); }, {0, 1000000, "MWh"}});
}

InputOutcome editStorageCost(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.batDollarsPerYr,
                     {"What is the cost of local storage capacity in Dollars per Year (including capital and "
                      "maintenance costs)?",
                      tooBigAboveMillion, [](double v) { return toDecimals(v, 2); },
                      {0, 1000000, "dollars per year per kWh"}});
}

InputOutcome editStoreEff(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.storeEff,
                     {" How many kWhr comes out of the Storage System if you put 100 kWhr into it?",
                      [](double v) -> const char* {
                          if (v > 100.0) return "Too big a value.";
                          if (v < 0.2) return "Too small a value, just set Local Storage Capacity to 0 instead.";
                          return nullptr;
                      },
                      [](double v) { return toDecimals(v, 1); }, {0.2, 100, "kWh"}});
}

InputOutcome editBuyPrice(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.buyPrice,
                     {"What is the cost of the energy that will be used during periods of shortfall ($/kwhrs)?",
                      priceRefusal, [](double v) { return toDecimals(v, 4); }, {0, 100, "$/kWh"}});
}

InputOutcome editSellPrice(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.sellPrice,
                     {"How much can the Unused Capacity energy be sold for? ($/kwhrs)", priceRefusal,
                      [](double v) { return toDecimals(v, 4); }, {0, 100, "$/kWh"}});
}

InputOutcome editGeneratorCost(core::Prompter& p, PowerPageInputs& in) {
    return editField(p, in.generatorCost,
                     {"Cost of Wind Generator amortized to a yearly cost for Capital and Maintenance (Dollars/year)",
                      [](double v) { return v < 0.0 ? "Must be greater than or equal to 0" : nullptr; },
                      [](double v) { return toDecimals(v, 0); }, {0, 1000000000, "dollars per year"}});
}

}  // namespace skyloom::power
