#include "display/ResourceCsv.h"

#include <variant>
#include <vector>

#include "core/Formats.h"
#include "core/Rounding.h"

namespace skyloom::display {

namespace {

// One field: a text (quoted) or a number (plain); a missing number is an empty text.
using Field = std::variant<std::string, double>;
using Row = std::vector<Field>;

Field text(std::string s) { return Field(std::move(s)); }
Field number(double v, int decimals) { return Field(core::roundHalfEven(v, decimals)); }
Field number(const std::optional<double>& v, int decimals) { return v ? number(*v, decimals) : text(""); }

class CsvText {
public:
    void row(const Row& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) out_ += ',';
            if (const auto* s = std::get_if<std::string>(&fields[i])) {
                out_ += '"';
                for (char c : *s) {
                    if (c == '"') out_ += '"';
                    out_ += c;
                }
                out_ += '"';
            } else {
                out_ += core::formatPlain(std::get<double>(fields[i]));
            }
        }
        out_ += "\r\n";
    }
    void blank() { out_ += "\r\n"; }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

}  // namespace

std::string resourceCsvText(const power::WindResource& r, const ResourceHeading& h) {
    CsvText csv;
    const std::string unit(r.units.speedUnit());
    const std::string length(r.units.lengthUnit());
    csv.row({text("Wind resource"), text(h.siteName)});
    csv.row({text("Station"), number(static_cast<double>(h.wmo), 0)});
    csv.row({text("From"), text(core::isoDate(h.from))});
    csv.row({text("To"), text(core::isoDate(h.to))});
    csv.row({text("Height"), number(r.units.lengthFromFeet(r.heightFeet), 1), text(length)});
    csv.row({text("Speed unit"), text(unit)});
    csv.row({text("Generator"), text(h.generatorName)});
    csv.row({text("Soundings with a wind at the height"), number(r.soundings, 0)});
    if (!r.computed) {
        csv.row({text("Message"), text(r.message)});
        return csv.take();
    }

    csv.blank();
    csv.row({text("Figure"), text("Value"), text("Unit")});
    auto figure = [&](const char* name, const std::optional<double>& v, int decimals, const std::string& u) {
        csv.row({text(name), number(v, decimals), text(u)});
    };
    auto scale = [](const std::optional<power::Weibull>& w) { return w ? std::optional<double>(w->scale) : std::nullopt; };
    auto shape = [](const std::optional<power::Weibull>& w) { return w ? std::optional<double>(w->shape) : std::nullopt; };
    figure("Calm share", r.calmShare, 3, "%");
    figure("Mean speed", r.meanSpeed, 3, unit);
    figure("Weibull scale, maximum likelihood", scale(r.maximumLikelihood), 3, unit);
    figure("Weibull shape, maximum likelihood", shape(r.maximumLikelihood), 4, "");
    figure("Weibull scale, energy conserving", scale(r.energyFit), 3, unit);
    figure("Weibull shape, energy conserving", shape(r.energyFit), 4, "");
    figure("Power density", r.powerDensity, 1, "W/m2");
    figure("Mean air density", r.airDensity, 4, "kg/m3");
    csv.row({text("Air density from"), text(r.densityFromStandardAtmosphere ? "standard atmosphere" : "soundings")});
    figure("Trend of the yearly mean speed", r.speedTrend ? std::optional<double>(r.speedTrend->slope) : std::nullopt,
           4, unit + " per year");
    figure("Standard error of the trend",
           r.speedTrend ? r.speedTrend->standardError : std::nullopt, 4, unit + " per year");
    figure("CoV of the yearly mean speed", r.speedCoV, 2, "%");
    figure("Complete years", static_cast<double>(r.completeYears), 0, "");
    if (r.withGenerator) {
        figure("CoV of the yearly energy", r.energyCoV, 2, "%");
        auto level = [&](const char* name, const std::optional<power::Exceedance>& e, bool ten) {
            figure(name, e ? std::optional<double>(ten ? e->tenYear : e->oneYear) : std::nullopt, 1, "MWh/yr");
        };
        level("P50, 1-year", r.p50, false);
        level("P50, 10-year", r.p50, true);
        level("P75, 1-year", r.p75, false);
        level("P75, 10-year", r.p75, true);
        level("P90, 1-year", r.p90, false);
        level("P90, 10-year", r.p90, true);
        csv.row({text("P-value assumption"), text(r.exceedanceNote)});
    }
    figure("50-year return speed", r.extreme50, 2, unit);
    csv.row({text("Extreme note"), text(r.extremeNote)});
    csv.row({text("IEC 61400-1 class"), text(r.iecClass.value_or(""))});
    csv.row({text("IEC note"), text(r.iecNote)});

    csv.blank();
    csv.row({text("Histogram from"), text("to"), text("Share %"), text("Maximum likelihood fit %"),
             text("Energy conserving fit %")});
    for (const auto& b : r.histogram)
        csv.row({number(b.from, 3), number(b.to, 3), number(b.share, 4), number(b.maximumLikelihood, 4),
                 number(b.energy, 4)});

    csv.blank();
    csv.row({text("Rose sector"), text("Share %"), text("Energy share %"), text("Mean speed"), text("Weibull scale"),
             text("Weibull shape"), text("Soundings")});
    for (const auto& s : r.rose)
        csv.row({number(s.centre, 0), number(s.share, 3), number(s.energyShare, 3), number(s.meanSpeed, 3),
                 number(scale(s.weibull), 3), number(shape(s.weibull), 4), number(s.soundings, 0)});

    csv.blank();
    csv.row({text("Shear from (" + length + ")"), text("to (" + length + ")"), text("Alpha"), text("Alpha 00 UTC"),
             text("Alpha 12 UTC"), text("Alpha other hours"), text("Mean speed below"), text("Mean speed above"),
             text("Soundings")});
    for (const auto& p : r.shear)
        csv.row({number(shearHeightShown(p.fromFeet, r.units), 1), number(shearHeightShown(p.toFeet, r.units), 1),
                 number(p.alpha, 4), number(p.alphaByLaunch[0], 4), number(p.alphaByLaunch[1], 4),
                 number(p.alphaByLaunch[2], 4), number(p.meanBelow, 3), number(p.meanAbove, 3),
                 number(p.soundings, 0)});

    csv.blank();
    Row months{text("Monthly mean speed")};
    for (const char* m : monthNames()) months.push_back(text(m));
    csv.row(months);
    Row all{text("All years")};
    for (const auto& m : r.monthly) all.push_back(number(m, 3));
    csv.row(all);
    for (const auto& y : r.monthlyByYear) {
        Row row{number(y.year, 0)};
        for (const auto& m : y.months) row.push_back(number(m, 3));
        csv.row(row);
    }

    csv.blank();
    csv.row({text("Launch hour"), text("Mean speed"), text("Share of the soundings %")});
    for (int g = 0; g < power::kLaunchHourGroups; ++g)
        csv.row({text(launchHourName(g)), number(r.launchMeanSpeed[static_cast<std::size_t>(g)], 3),
                 number(r.launchShare[static_cast<std::size_t>(g)], 3)});
    csv.row({text("Note"), text(launchHourNote())});

    csv.blank();
    csv.row({text("Year"), text("Soundings"), text("Coverage %"), text("Complete"), text("Mean speed"),
             text("Maximum speed"), text("Energy MWh")});
    for (const auto& y : r.years)
        csv.row({number(y.year, 0), number(y.soundings, 0), number(100 * y.coverage, 2), text(y.complete ? "yes" : "no"),
                 number(y.meanSpeed, 3), number(y.maxSpeed, 3), number(y.energy, 1)});
    return csv.take();
}

}  // namespace skyloom::display
