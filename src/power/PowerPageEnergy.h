#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "power/Economics.h"
#include "power/EnergyBalance.h"
#include "power/EnergyInputs.h"

namespace skyloom::core {
class Prompter;
}
namespace skyloom::sounding {
class SoundingSet;
}

namespace skyloom::power {

// The input fields of the Power Page that rerun the balance and the money.
enum class EnergyField { Usage, BankSize, StorageCost, StoreEff, BuyPrice, SellPrice, GeneratorCost };

// Asks for one field with its own handler.
InputOutcome editEnergyField(EnergyField f, core::Prompter& p, PowerPageInputs& in);

// The energy and money figures of the Power Page for the soundings in memory:
// the inputs, the per-sounding power at the height of interest, and the results
// of the last run. A valid change of an input reruns both at once.
class PowerPageEnergy {
public:
    PowerPageInputs inputs;
    double maxToGrid = 0.0;        // the generator's MaxToGrid, kW
    double stateOfCharge = 75.0;   // the setting, percent

    // powerKw: corrected generator power per sounding (cut-out marker allowed);
    // hours: the hours each sounding represents. Does not run the balance.
    void setSoundings(std::vector<double> powerKw, std::vector<double> hours);
    // The same from the loaded set: powerKw and speedKnots are numbered like the
    // set (1..count, index 0 unused) at the height of interest. Soundings ignored
    // since loading (negative key) take no part.
    void setSoundings(const sounding::SoundingSet& set, std::span<const double> powerKw,
                      std::span<const double> speedKnots);
    // The idle and cut-out figures at the height of interest (idleStatisticsAtFeet).
    void setIdle(const IdleStatistics& idle) { idle_ = idle; }
    const std::vector<double>& powerKw() const { return power_; }
    const std::vector<double>& hours() const { return hours_; }
    // Time stamps of the soundings taken from a set (empty otherwise), for the graphs.
    const std::vector<core::HoursSince1930>& times() const { return times_; }
    // Wind speed (knots) of the soundings at the height of interest, taken from a
    // set (empty otherwise), for the power-curve graph's distributions.
    const std::vector<double>& speedKnots() const { return speeds_; }
    const IdleStatistics& idle() const { return idle_; }

    // The balance, then the money.
    void run();
    // Asks for the field; on a valid change runs everything again before returning.
    InputOutcome edit(EnergyField f, core::Prompter& p);

    const BalanceResult& balance() const { return balance_; }
    const MoneyResult& money() const { return money_; }
    EnergyLines energyLines() const { return power::energyLines(balance_); }
    MoneyLines moneyLines() const { return power::moneyLines(money_); }
    NetCostLine netCostLine() const { return power::netCostLine(moneyInputs(inputs), money_); }
    bool storageInputsVisible() const { return power::storageInputsVisible(inputs.bankSize); }
    std::string hoverText(std::size_t sounding) const { return energyHoverText(balance_, hours_, sounding); }

private:
    std::vector<double> power_;
    std::vector<double> hours_;
    std::vector<core::HoursSince1930> times_;
    std::vector<double> speeds_;
    IdleStatistics idle_;
    BalanceResult balance_;
    MoneyResult money_;
};

// The energy and money results under the analysis record's column names, each
// through the result rounding the record applies (three significant figures for
// TotalEPot, TotalEUse and UnusedCap, the two-or-three rule for the others).
std::vector<std::pair<std::string, double>> energyRecordValues(const BalanceResult& b, const MoneyResult& m);

}  // namespace skyloom::power
