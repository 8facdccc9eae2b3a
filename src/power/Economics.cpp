#include "power/Economics.h"

#include "core/Formats.h"
#include "core/Rounding.h"
#include "power/EnergyBalance.h"

namespace skyloom::power {

EnergyFigures energyFigures(const BalanceResult& r) {
    return EnergyFigures{r.totalEPot, r.totalEUse, r.unUsedCap, r.shortE};
}

MoneyResult computeEconomics(const MoneyInputs& in, const EnergyFigures& e) {
    MoneyResult m;
    m.buyE = e.shortE;
    m.shortfallCost = m.buyE * 1000.0 * in.buyPrice;
    m.storageCost = in.batDollarsPerKWh * in.bankSize * 1000.0;
    m.totalCost = in.generatorCost + m.storageCost + m.shortfallCost;
    const bool sells = e.unUsedCap >= 0.0;
    m.income = sells ? in.sellPrice * 1000.0 * e.unUsedCap : 0.0;
    m.netCashFlow = m.income - m.totalCost;

    const double usedKWh = e.totalEUse * 1000.0;
    if (usedKWh != 0.0) {
        m.usedEnergyCost = core::roundHalfAwayFromZero(m.totalCost / usedKWh, 4);
        m.netEnergyCost = sells ? core::roundHalfAwayFromZero((m.totalCost - m.income) / usedKWh, 4)
                                : m.usedEnergyCost;
    } else if (isBreakEven(e.totalEUse, e.totalEPot)) {
        m.breakEven = true;
        m.netEnergyCost = core::roundHalfAwayFromZero(m.totalCost / (e.totalEPot * 1000.0), 4);
    }
    m.netSave = usedKWh * in.buyPrice + m.netCashFlow;
    return m;
}

MoneyLines moneyLines(const MoneyResult& m) {
    MoneyLines l;
    l.bought = core::formatNumber(m.buyE, m.buyE >= 100.0 ? "##,###,##0" : "##0.00");
    l.shortfallCost = core::formatNumber(m.shortfallCost, m.shortfallCost >= 100.0 ? "$##,###,##0" : "#0.00");
    l.netCashHeading = m.netCashFlow < 0.0 ? "Net COST (-ve is expense):" : "Net PROFIT (-ve is expense):";
    l.netCash = core::formatNumber(m.netCashFlow, "$#,###,##0");
    l.usedEnergyCost = core::formatNumber(m.usedEnergyCost, "0.0000");
    l.netSave = core::formatNumber(m.netSave, "$#,###,##0");
    return l;
}

bool isBreakEven(double totalEUse, double totalEPot) { return totalEUse == 0.0 && totalEPot > 0.0; }

NetCostLine netCostLine(const MoneyInputs& in, double netEnergyCost, double totalEUse, double totalEPot) {
    MoneyResult m;
    m.netEnergyCost = netEnergyCost;
    m.breakEven = isBreakEven(totalEUse, totalEPot);
    return netCostLine(in, m);
}

NetCostLine netCostLine(const MoneyInputs& in, const MoneyResult& m) {
    const std::string sellText =
        in.sellPrice == 0.0 ? std::string()
                            : " is sold for $" + core::formatNumber(in.sellPrice, "0.####") + " per kWhr:";
    const bool allToGrid = in.bankSize == 0.0 && in.aveUsed == 0.0;
    NetCostLine line;
    line.showLocalLines = !allToGrid;
    if (m.breakEven) {
        line.label = "Break Even Sell Price if sell all";
        line.value = core::formatNumber(m.netEnergyCost, "0.0000");
    } else if (m.netEnergyCost >= 0.0) {
        line.label = sellText.empty() ? "Net COST of wind energy used" : "Net COST if excess wind energy" + sellText;
        line.value = core::formatNumber(m.netEnergyCost, "0.0000");
    } else {
        line.label = (allToGrid ? "Net PROFIT if excess wind energy" : "Net PROFIT if Unused Capacity") + sellText;
        line.value = core::formatNumber(-m.netEnergyCost, "0.0000");
    }
    return line;
}

bool storageInputsVisible(double bankSize) { return bankSize != 0.0; }

}  // namespace skyloom::power
