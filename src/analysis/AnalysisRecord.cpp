#include "analysis/AnalysisRecord.h"

#include <cstdio>

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include "core/Constants.h"
#include "core/Dates.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/Text.h"

namespace skyloom::analysis {

const std::array<ResultColumn, kResultCount> kResultColumns = {{
    {"TotalEPot", ResultRounding::A},       {"TotalEUse", ResultRounding::A},
    {"UnusedCap", ResultRounding::A},       {"ActCF", ResultRounding::A},
    {"PotCF", ResultRounding::B},           {"PotkW", ResultRounding::B},
    {"IdlePercent", ResultRounding::B},     {"PercentNonWind", ResultRounding::B},
    {"ShortE", ResultRounding::B},          {"DieselPercent", ResultRounding::B},
    {"BuyE", ResultRounding::B},            {"TempPressPercent", ResultRounding::B},
    {"UsedEnergyCost", ResultRounding::B},  {"NetEnergyCost", ResultRounding::B},
    {"Income", ResultRounding::B},          {"NetSave", ResultRounding::B},
}};

SqlValue readValue(const SQLite::Column& column) {
    if (column.isNull()) return std::monostate{};
    if (column.isInteger()) return static_cast<long long>(column.getInt64());
    if (column.isFloat()) return column.getDouble();
    return column.getString();
}

void bindValue(SQLite::Statement& stmt, int index, const SqlValue& value) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                stmt.bind(index);
            else if constexpr (std::is_same_v<T, long long>)
                stmt.bind(index, static_cast<int64_t>(v));
            else
                stmt.bind(index, v);
        },
        value);
}

std::string valueText(const SqlValue& value) {
    if (std::holds_alternative<long long>(value)) return std::to_string(std::get<long long>(value));
    if (std::holds_alternative<double>(value)) return core::formatPlain(std::get<double>(value));
    if (std::holds_alternative<std::string>(value)) return std::get<std::string>(value);
    return {};
}

double valueNumber(const SqlValue& value) {
    if (std::holds_alternative<long long>(value)) return static_cast<double>(std::get<long long>(value));
    if (std::holds_alternative<double>(value)) return std::get<double>(value);
    if (std::holds_alternative<std::string>(value)) return core::leadingNumber(std::get<std::string>(value));
    return 0;
}

double roundResult(double value, ResultRounding rounding) {
    switch (rounding) {
        case ResultRounding::A: return core::roundSignificantA(value);
        case ResultRounding::B: return core::roundSignificantB(value);
        case ResultRounding::None: break;
    }
    return value;
}

void applyResultRounding(AnalysisRecord& record) {
    for (std::size_t i = 0; i < kResultColumns.size(); ++i)
        record.results[i] = roundResult(record.results[i], kResultColumns[i].rounding);
}

double toMetresPerSecond(double speed, std::string_view units) {
    if (core::iequals(units, "knots")) return speed * 0.5144;
    if (core::iequals(units, "mph")) return speed * 5280.0 / 6000.0 * 0.5144;
    return speed;
}

std::string calcVersionText() { return std::string(core::kProgramVersionText) + core::kMinorRevision; }

std::string generalDateText(std::string_view stored) {
    auto day = core::parseIsoDate(stored);
    if (!day) return std::string(stored);
    int h = 0, m = 0, s = 0;
    if (stored.size() >= 19) std::sscanf(std::string(stored.substr(11, 8)).c_str(), "%d:%d:%d", &h, &m, &s);
    if (h == 0 && m == 0 && s == 0) return core::formatDate(*day, "m/d/yyyy");
    return core::formatDateTime(*day, h, m, s, "m/d/yyyy h:nn:ss AM/PM");
}

}  // namespace skyloom::analysis
