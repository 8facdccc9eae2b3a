#pragma once

#include <string>

namespace skyloom::power {

struct BalanceResult;

// The money inputs of the Power Page. Amounts are dollars per year, prices
// dollars per kWh.
struct MoneyInputs {
    double aveUsed = 0.0;            // AveUsed, kW
    double bankSize = 0.0;           // BankSize, MWh
    double batDollarsPerKWh = 0.0;   // BatDollarsPerkWhr: yearly cost per kWh of store capacity
    double buyPrice = 0.0;           // ShortCost: price of energy bought in shortfalls
    double sellPrice = 0.0;          // SellPrice: price of the unused capacity sold
    double generatorCost = 0.0;      // GeneratorCost: the generator's CostPerYear
};

// The yearly energy figures the money is built on (MWh per year).
struct EnergyFigures {
    double totalEPot = 0.0;
    double totalEUse = 0.0;
    double unUsedCap = 0.0;
    double shortE = 0.0;
};
EnergyFigures energyFigures(const BalanceResult& r);

struct MoneyResult {
    double buyE = 0.0;             // BuyE, MWh per year
    double shortfallCost = 0.0;    // cost of the energy bought
    double storageCost = 0.0;
    double totalCost = 0.0;
    double income = 0.0;           // Income
    double netCashFlow = 0.0;      // Income minus total cost; negative is an expense
    double usedEnergyCost = 0.0;   // UsedEnergyCost, $/kWh, 4 decimals
    double netEnergyCost = 0.0;    // NetEnergyCost, $/kWh, 4 decimals; negative is a profit
    bool breakEven = false;        // nothing used locally but the generator produces:
                                   // netEnergyCost is the break-even sell price
    double netSave = 0.0;          // NetSave
};

MoneyResult computeEconomics(const MoneyInputs& in, const EnergyFigures& e);

// The texts of the money block.
struct MoneyLines {
    std::string bought;            // BuyE
    std::string shortfallCost;
    std::string netCashHeading;    // "Net COST (-ve is expense):" or "Net PROFIT (-ve is expense):"
    std::string netCash;           // "$#,###,##0"
    std::string usedEnergyCost;    // "0.0000"
    std::string netSave;           // "$#,###,##0"
};
MoneyLines moneyLines(const MoneyResult& m);

// The net-cost line: its label, its value and whether the local-use and
// unused-capacity lines are shown.
struct NetCostLine {
    std::string label;
    std::string value;
    bool showLocalLines = true;
};
NetCostLine netCostLine(const MoneyInputs& in, const MoneyResult& m);
// The same for a recalled analysis from its stored figures.
NetCostLine netCostLine(const MoneyInputs& in, double netEnergyCost, double totalEUse, double totalEPot);
// Nothing is used locally but the generator produces: the net cost is the
// break-even sell price.
bool isBreakEven(double totalEUse, double totalEPot);

// The storage cost and efficiency fields are shown only with a store.
bool storageInputsVisible(double bankSize);

}  // namespace skyloom::power
