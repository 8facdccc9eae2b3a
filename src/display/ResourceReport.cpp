#include "display/ResourceReport.h"

#include <fmt/format.h>

#include "core/Formats.h"
#include "core/Rounding.h"

namespace skyloom::display {

namespace {

constexpr double kGroundReportMetres = 10;

std::string num(double v, const char* pattern) { return core::formatNumber(v, pattern); }
std::string num(const std::optional<double>& v, const char* pattern) {
    return v ? core::formatNumber(*v, pattern) : std::string("-");
}

std::string speedUnit(const power::WindResource& r) { return std::string(r.units.speedUnit()); }

std::string weibullLine(const char* name, const std::optional<power::Weibull>& w, const power::WindResource& r) {
    if (!w)
        return std::string("Weibull, ") + name + ": not fitted (" +
               (r.calmShare >= 100 ? "every sounding is calm at this height" : "the speeds do not vary enough") + ")";
    return std::string("Weibull, ") + name + ": scale " + num(w->scale, "0.00") + " " + speedUnit(r) + ", shape " +
           num(w->shape, "0.00");
}

std::string signedNumber(double v, const char* pattern) { return (v >= 0 ? "+" : "") + num(v, pattern); }

std::string trendLine(const char* what, const std::optional<power::LinearTrend>& t, const std::string& unit,
                      const char* pattern, int completeYears) {
    if (!t)
        return std::string("Trend of ") + what + ": needs at least 2 complete years, this period has " +
               std::to_string(completeYears);
    std::string line = std::string("Trend of ") + what + ": " + signedNumber(t->slope, pattern) + " " + unit + " per year";
    if (t->standardError) line += " (standard error " + num(*t->standardError, pattern) + ")";
    else line += " (no standard error from 2 years)";
    return line;
}

}  // namespace

const std::array<const char*, 12>& monthNames() {
    static const std::array<const char*, 12> names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names;
}

const char* launchHourName(int group) {
    switch (group) {
        case 0: return "00 UTC";
        case 1: return "12 UTC";
        default: return "other hours";
    }
}

std::string resourceHeightText(double feet, const sounding::Units& units) {
    return core::formatPlain(core::roundHalfEven(units.lengthFromFeet(feet), 1)) + " " + std::string(units.lengthUnit());
}

double groundReportShown(const sounding::Units& units) {
    return units.metric() ? kGroundReportMetres : power::kGroundReportFeet;
}

double shearHeightShown(double feet, const sounding::Units& units) {
    if (feet == power::kGroundReportFeet) return groundReportShown(units);
    return core::roundHalfEven(units.lengthFromFeet(feet), 1);
}

std::string resourceTitle(const power::WindResource& r, const ResourceHeading& h) {
    if (h.siteName.empty()) return "Wind resource at " + resourceHeightText(r.heightFeet, r.units);
    return "Wind resource of " + h.siteName + " at " + resourceHeightText(r.heightFeet, r.units) + ", " +
           core::formatDate(h.from, "mmm d, yyyy") + " to " + core::formatDate(h.to, "mmm d, yyyy");
}

std::string launchHourNote() {
    return "Radiosondes are mostly launched twice a day, near 00 and 12 UTC: these figures sample two times of day "
           "only and say nothing of the hours between.";
}

std::vector<std::string> resourceKeyLines(const power::WindResource& r) {
    std::vector<std::string> out;
    if (!r.computed) {
        out.push_back(r.message);
        return out;
    }
    out.push_back(std::to_string(r.soundings) + " soundings with a wind at this height; calm " +
                  num(r.calmShare, "0.0") + "% of the time; mean speed " + num(r.meanSpeed, "0.00") + " " +
                  speedUnit(r));
    out.push_back(weibullLine("maximum likelihood", r.maximumLikelihood, r));
    out.push_back(weibullLine("energy conserving", r.energyFit, r));
    out.push_back("Power density " + num(r.powerDensity, "0") + " W/m2; mean air density " +
                  num(r.airDensity, "0.000") + " kg/m3" +
                  (r.densityFromStandardAtmosphere ? " (standard atmosphere: no sounding had a usable temperature and pressure)"
                                                   : " (from the soundings' temperature and pressure)"));
    if (r.extreme50)
        out.push_back("50-year return speed " + num(*r.extreme50, "0.0") + " " + speedUnit(r) + ". " + r.extremeNote);
    else
        out.push_back(r.extremeNote);
    out.push_back(r.iecNote);
    return out;
}

std::vector<std::array<std::string, 3>> exceedanceTable(const power::WindResource& r) {
    std::vector<std::array<std::string, 3>> rows;
    rows.push_back({"MWh/yr", "1-year", "10-year"});
    auto row = [&](const char* label, const std::optional<power::Exceedance>& e) {
        rows.push_back({label, e ? num(e->oneYear, "#,##0") : "-", e ? num(e->tenYear, "#,##0") : "-"});
    };
    row("P50", r.p50);
    row("P75", r.p75);
    row("P90", r.p90);
    return rows;
}

std::vector<std::string> resourceReport(const power::WindResource& r, const ResourceHeading& h) {
    std::vector<std::string> out;
    out.push_back(resourceTitle(r, h));
    if (!r.computed) {
        out.push_back(r.message);
        return out;
    }
    const std::string unit = speedUnit(r);
    for (std::string& line : resourceKeyLines(r)) out.push_back(std::move(line));

    out.emplace_back();
    out.push_back("Speed distribution (percent of the time; the fits are scaled to the time with wind)");
    out.push_back(fmt::format("{:>13} {:>8} {:>16} {:>11}", unit, "Share", "Max. likelihood", "Energy fit"));
    for (const auto& b : r.histogram)
        out.push_back(fmt::format("{:>13} {:>8} {:>16} {:>11}", num(b.from, "0") + "-" + num(b.to, "0"),
                                  num(b.share, "0.00"), num(b.maximumLikelihood, "0.00"), num(b.energy, "0.00")));

    out.emplace_back();
    out.push_back("Wind rose (12 sectors of 30 degrees, centred on north; calms left out)");
    out.push_back(fmt::format("{:>7} {:>8} {:>9} {:>11} {:>14} {:>6}", "Sector", "Share %", "Energy %",
                              "Mean speed", "Weibull scale", "shape"));
    for (const auto& s : r.rose)
        out.push_back(fmt::format("{:>7} {:>8} {:>9} {:>11} {:>14} {:>6}", num(s.centre, "0"), num(s.share, "0.0"),
                                  num(s.energyShare, "0.0"), num(s.meanSpeed, "0.00"),
                                  s.weibull ? num(s.weibull->scale, "0.00") : "-",
                                  s.weibull ? num(s.weibull->shape, "0.00") : "-"));

    out.emplace_back();
    out.push_back("Shear: power-law exponent alpha over the soundings with a wind at both heights (the ground as " +
                  num(groundReportShown(r.units), "0") + " " + std::string(r.units.lengthUnit()) + ")");
    out.push_back(fmt::format("{:>9} {:>9} {:>7} {:>7} {:>7} {:>12} {:>10}", "From", "To", "alpha", "00 UTC",
                              "12 UTC", "other hours", "soundings"));
    for (const auto& p : r.shear)
        out.push_back(fmt::format("{:>9} {:>9} {:>7} {:>7} {:>7} {:>12} {:>10}",
                                  core::formatPlain(shearHeightShown(p.fromFeet, r.units)),
                                  core::formatPlain(shearHeightShown(p.toFeet, r.units)), num(p.alpha, "0.000"),
                                  num(p.alphaByLaunch[0], "0.000"), num(p.alphaByLaunch[1], "0.000"),
                                  num(p.alphaByLaunch[2], "0.000"), p.soundings));

    out.emplace_back();
    out.push_back("Mean speed by month (" + unit + ")");
    std::string heading = fmt::format("{:>6}", "");
    std::string all = fmt::format("{:>6}", "All");
    for (std::size_t m = 0; m < 12; ++m) {
        heading += fmt::format(" {:>6}", monthNames()[m]);
        all += fmt::format(" {:>6}", num(r.monthly[m], "0.0"));
    }
    out.push_back(heading);
    out.push_back(all);
    for (const auto& y : r.monthlyByYear) {
        std::string line = fmt::format("{:>6}", y.year);
        for (std::size_t m = 0; m < 12; ++m) line += fmt::format(" {:>6}", num(y.months[m], "0.0"));
        out.push_back(line);
    }
    std::string launch = "Mean speed by launch hour:";
    for (int g = 0; g < power::kLaunchHourGroups; ++g)
        launch += std::string(g ? ";" : "") + " " + launchHourName(g) + " " +
                  num(r.launchMeanSpeed[static_cast<std::size_t>(g)], "0.00") + " " + unit + " (" +
                  num(r.launchShare[static_cast<std::size_t>(g)], "0.0") + "% of the soundings)";
    out.push_back(launch);
    out.push_back(launchHourNote());

    out.emplace_back();
    out.push_back("Years (a year counts when its soundings cover at least 70% of it)");
    out.push_back(fmt::format("{:>6} {:>10} {:>9} {:>9} {:>11} {:>10} {:>11}", "Year", "Soundings", "Coverage",
                              "Complete", "Mean speed", "Max speed", r.withGenerator ? "Energy MWh" : ""));
    for (const auto& y : r.years)
        out.push_back(fmt::format("{:>6} {:>10} {:>9} {:>9} {:>11} {:>10} {:>11}", y.year, y.soundings,
                                  num(100 * y.coverage, "0.0") + "%", y.complete ? "yes" : "no",
                                  num(y.meanSpeed, "0.00"), num(y.maxSpeed, "0.0"),
                                  r.withGenerator ? num(y.energy, "#,##0") : ""));
    if (r.leftOutYears.empty()) {
        out.push_back("No year left out.");
    } else {
        std::string left = "Left out (soundings cover less than 70% of the year):";
        for (int y : r.leftOutYears) left += " " + std::to_string(y);
        out.push_back(left);
    }
    out.push_back(trendLine("the yearly mean speed", r.speedTrend, unit, "0.000", r.completeYears));
    out.push_back("Year-to-year variation of the mean speed (CoV): " +
                  (r.speedCoV ? num(*r.speedCoV, "0.0") + "%" : std::string("needs at least 2 complete years")));
    if (r.withGenerator) {
        out.push_back("Generator: " + h.generatorName);
        out.push_back(trendLine("the yearly energy", r.energyTrend, "MWh", "#,##0.0", r.completeYears));
        out.push_back("Year-to-year variation of the energy (CoV): " +
                      (r.energyCoV ? num(*r.energyCoV, "0.0") + "%" : std::string("needs at least 2 complete years")));
        for (const auto& row : exceedanceTable(r))
            out.push_back(fmt::format("{:<24} {:>10} {:>10}", row[0], row[1], row[2]));
        out.push_back(r.exceedanceNote);
    } else {
        out.push_back("Energy, P50, P75 and P90: choose a generator (--generator NAME).");
    }

    out.emplace_back();
    std::string maxima = "Yearly maxima of the complete years (" + unit + "):";
    if (r.annualMaxima.empty()) maxima += " none";
    for (double m : r.annualMaxima) maxima += " " + num(m, "0.0");
    out.push_back(maxima);
    return out;
}

}  // namespace skyloom::display
