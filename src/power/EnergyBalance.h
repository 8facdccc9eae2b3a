#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/Dates.h"

namespace skyloom::power {

struct LevelPowerResults;

// Hours in an average year: the divisor that turns totals over the period into
// yearly figures (DataYears = TotalHours / 8766).
constexpr double kHoursPerYear = 8766.0;

// What the balance needs from the Power Page, the generator and the settings.
struct BalanceInputs {
    double aveUsed = 0.0;        // AveUsed: constant local demand, kW
    double bankSize = 0.0;       // BankSize: store capacity, MWh (0 = no store)
    double storeEff = 100.0;     // StoreEff: kWh out per 100 kWh put in
    double maxToGrid = 0.0;      // MaxToGrid of the generator, kW
    double stateOfCharge = 75.0; // store content at the start, percent of capacity
};

// Per-sounding values left for the Power Page graphs, one entry per sounding in
// time order (index 0 is the first sounding).
struct BalanceSeries {
    std::vector<double> storedEnergy;     // kWh in the store after the sounding
    std::vector<double> shortfallToDate;  // kWh bought from the non-wind source so far
    std::vector<double> batteryRate;      // kW, positive charging, negative discharging
    std::vector<double> excessRate;       // kW of surplus neither used nor stored
    std::vector<double> chargeLossRate;   // kW lost while charging
};

struct BalanceResult {
    // Totals over the period.
    double hoursRun = 0.0;              // sum of the hours represented (TotalHours)
    double dataYears = 0.0;             // hoursRun / 8766
    double potentialKWh = 0.0;          // sum of generator power times hours
    double shortfallKWh = 0.0;          // energy the non-wind source supplied
    double hoursInShortfall = 0.0;      // prorated where the store ran empty part-way
    double chargeLossMWh = 0.0;

    // Yearly results (MWh per year unless stated).
    double totalEPot = 0.0;             // TotalEPot
    double totalEUse = 0.0;             // TotalEUse
    double chargeLossPerYear = 0.0;
    double unUsedCap = 0.0;             // UnUsedCap: >= 0 sold to the grid, < 0 capacity shortfall
    double shortE = 0.0;                // ShortE
    double dieselPercent = 0.0;         // DieselPercent, percent of the time, at most 100
    double percentNonWind = 0.0;        // PercentNonWind, percent of the energy used, at most 100
    bool energyUsed = false;            // AveUsed times the hours is above 0

    BalanceSeries series;
};

// Runs the generator through the period against the constant demand.
// powerKw[i] is the corrected generator power of sounding i at the height of
// interest; the cut-out marker and any other negative value count as 0 kW.
// hours[i] is the hours the sounding represents. Both spans have one entry per
// sounding in time order and must be of equal length.
BalanceResult runEnergyBalance(const BalanceInputs& in, std::span<const double> powerKw,
                               std::span<const double> hours);
// The same into an earlier result, reusing the memory of its series: a rerun
// after an input change then allocates nothing.
void runEnergyBalance(const BalanceInputs& in, std::span<const double> powerKw,
                      std::span<const double> hours, BalanceResult& into);

// The texts of the energy block of the Power Page.
struct EnergyLines {
    std::string potential;          // TotalEPot
    std::string used;               // TotalEUse
    std::string chargeLosses;       // charge losses per year
    std::string gridHeading;        // "Sold to GRID:" or "Capacity Shortfall:"
    std::string grid;               // magnitude of UnUsedCap
    std::string shortfall;          // ShortE
    std::string dieselPercent;      // DieselPercent followed by "%"
    std::string percentNonWind;     // PercentNonWind as "0.0%", or "0%" when nothing is used
};
EnergyLines energyLines(const BalanceResult& r);

// An energy figure: "##,###,##0" from 100 up, else "##0.00".
std::string formatEnergy(double mwh);
// The grid or shortfall figure: "##,###,##0" from 100 up, else "#0.00".
std::string formatGridEnergy(double mwh);

// Tool-tip of the energy graphs for sounding i (0-based) of a finished run.
std::string energyHoverText(const BalanceResult& r, std::span<const double> hours, std::size_t i);

// Titles and tips of the two energy graphs; usage is the Power Page's usage text.
std::string storedGraphTitle(const std::string& usage);
std::string shortfallGraphTitle(const std::string& usage);
extern const char* const kStoredGraphTip;
extern const char* const kShortfallGraphTip;

// Idle and cut-out spells at the height of interest.
struct IdleStatistics {
    double maxIdleDays = 0.0;        // longest idle spell
    double averageIdleDays = 0.0;    // mean length of the idle spells
    double maxCutOutDays = 0.0;      // longest cut-out spell
    double idleStartsPerYear = 0.0;  // idle spells per year (the analysis record's ActCF)
    double cutOutsPerYear = 0.0;     // cut-out spells per year
};

// The idle and cut-out figures at a height in feet, taken from the runs the power
// pass counted at every level and interpolated between levels like every other
// figure at the height of interest. At a level, an idle start is counted each
// time the wind drops into the idle zone (at or below cut-in) from a sounding
// that was not idle, a cut-out each time it reaches cut-out; a gap in the record
// starts nothing. A run lasts the hours its soundings represent; the yearly
// counts divide by the years the soundings represent (their hours / 8766).
IdleStatistics idleStatisticsAtFeet(const LevelPowerResults& levels, double feet);

// "Max idle days in a row was ..." and "Annual Idle starts: ..." lines: days with
// one decimal, yearly counts as whole numbers, both rounded half away from zero.
std::string idleDaysLine(const IdleStatistics& s);
std::string idleStartsLine(const IdleStatistics& s);

}  // namespace skyloom::power
