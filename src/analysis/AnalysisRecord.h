#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/MainSchema.h"

namespace SQLite { class Column; class Statement; }

namespace skyloom::analysis {

// One stored value as SQLite holds it: null, integer, real or text.
using SqlValue = std::variant<std::monostate, long long, double, std::string>;

SqlValue readValue(const SQLite::Column& column);
void bindValue(SQLite::Statement& stmt, int index, const SqlValue& value);
// Plain text of a value: "" for null, numbers in their plain form ("12", "0.5").
std::string valueText(const SqlValue& value);
// The number in a value; 0 for null or text that is not a number.
double valueNumber(const SqlValue& value);

// The generator copied into every analysis: positions 1..30 of `generators`
// (index 0 here is position 1, the name).
using GeneratorBlock = std::array<SqlValue, core::kGeneratorBlockSize>;

enum class ResultRounding { None, A, B };

// The energy and money results, in their `datapoints` columns.
enum Result : int {
    TotalEPot, TotalEUse, UnusedCap, ActCF, PotCF, PotkW, IdlePercent, PercentNonWind, ShortE,
    DieselPercent, BuyE, TempPressPercent, UsedEnergyCost, NetEnergyCost, Income, NetSave, kResultCount
};

struct ResultColumn {
    std::string_view column;
    ResultRounding rounding;
};
extern const std::array<ResultColumn, kResultCount> kResultColumns;

// One row of `datapoints`: an analysis with its inputs, the generator it used,
// its results and its bookkeeping. Dates are stored text ("YYYY-MM-DD",
// "YYYY-MM-DD HH:MM:SS").
struct AnalysisRecord {
    long long key = 0;
    GeneratorBlock generator{};

    // inputs
    double aveused = 0;             // kW
    double bankSize = 0;            // MWhr
    double batDollarsPerkWhr = 0;
    double storeEff = 0;            // %
    double shortCost = 0;           // $/kWhr bought
    double lookHeight = 0;          // metres, 1 decimal
    std::string fromDate, toDate;
    std::string siteName, selline;
    double generatorCost = 0;       // $/yr
    double sellPrice = 0;           // $/kWhr sold
    long long wmo = 0;
    long long wmoKey = 0;
    long long refWmo = 0;
    std::string units;              // "m/sec", "knots" or "mph"
    double stateOfCharge = 0;
    double dataColor = 0;
    long long activateI = 0;
    long long ignoreZ = 0;

    std::array<double, kResultCount> results{};
    double aveWind = 0, meanWind = 0;   // m/sec at the look height

    // data used
    long long seeSoundings = 0, seePoints = 0;
    double seeDiscarded = 0, tgaps = 0;

    // bookkeeping
    std::string dodate;
    double doTime = 0;
    long long sessionAnalNum = 0;
    int print = 0;
    std::optional<std::string> comment;
    std::string deleted = "0";
    std::string calcVer;

    std::string generatorName() const { return valueText(generator[0]); }
    double& result(Result r) { return results[static_cast<std::size_t>(r)]; }
    double result(Result r) const { return results[static_cast<std::size_t>(r)]; }
};

// Every result passed through its rounding (A or B) as it is stored.
void applyResultRounding(AnalysisRecord& record);
double roundResult(double value, ResultRounding rounding);

// A speed in the unit `units` ("m/sec", "knots", "mph") in metres per second, as
// stored in `AveWind`/`MeanWind` (a knot is taken as 0.5144 m/sec, a mile as 5280
// of 6000 feet of a knot's 6000).
double toMetresPerSecond(double speed, std::string_view units);

// The program's version text stored with every calculation ("24").
std::string calcVersionText();

// A stored date or date-time shown the way the program prints a date in running
// text: "3/5/2026 5:13:48 PM", or "3/5/2026" when it has no time of day.
std::string generalDateText(std::string_view stored);

}  // namespace skyloom::analysis
