#pragma once

#include "power/Economics.h"
#include "power/EnergyBalance.h"

namespace skyloom::core {
class Prompter;
}

namespace skyloom::power {

// The usage, storage and price fields of the Power Page, as stored.
struct PowerPageInputs {
    double aveUsed = 0.0;          // Pusage, kW
    double bankSize = 0.0;         // BatMWhr, MWh
    double batDollarsPerYr = 0.0;  // BatDollarsPerYr, $ per year per kWh of capacity
    double storeEff = 100.0;       // StoreEff, percent
    double buyPrice = 0.0;         // BuyDperKwHr, $/kWh
    double sellPrice = 0.0;        // SellDperkWhr, $/kWh
    double generatorCost = 0.0;    // MillCostPerYear, $ per year (the generator's CostPerYear)
};

BalanceInputs balanceInputs(const PowerPageInputs& in, double maxToGrid, double stateOfCharge);
MoneyInputs moneyInputs(const PowerPageInputs& in);

// What a click on an input field came to. Only Changed asks for the energy
// balance, the money and the graphs to be recomputed.
enum class InputOutcome { Cancelled, Unchanged, Refused, Changed };
inline bool needsRerun(InputOutcome o) { return o == InputOutcome::Changed; }

// Each handler asks with the current value as default. An empty answer cancels;
// the same value does nothing; a value out of range is refused with its message
// and the field keeps its old value; a valid new value is stored at the field's
// precision.
InputOutcome editUsage(core::Prompter& p, PowerPageInputs& in);          // whole kW from 10 up, else 2 decimals
InputOutcome editBankSize(core::Prompter& p, PowerPageInputs& in);       // 2 decimals
InputOutcome editStorageCost(core::Prompter& p, PowerPageInputs& in);    // 2 decimals
InputOutcome editStoreEff(core::Prompter& p, PowerPageInputs& in);       // 1 decimal
InputOutcome editBuyPrice(core::Prompter& p, PowerPageInputs& in);       // 4 decimals
InputOutcome editSellPrice(core::Prompter& p, PowerPageInputs& in);      // 4 decimals
InputOutcome editGeneratorCost(core::Prompter& p, PowerPageInputs& in);  // whole dollars

// The text an input field shows as the default of its input box.
std::string inputText(double value);
// The usage as the Power Page shows it: whole kW from 10 up, else 2 decimals.
std::string usageText(double kw);

}  // namespace skyloom::power
