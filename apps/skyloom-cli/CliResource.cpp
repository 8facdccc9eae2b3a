// skyloom-cli resource: the wind resource of a station at one height.
#include <iostream>
#include <optional>
#include <string>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "core/Rounding.h"
#include "display/ResourceReport.h"
#include "session/PowerPage.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "session/WindResourceRun.h"

namespace skyloom::cli {

namespace {

struct ResourceOptions {
    std::string wmo;
    std::string from;
    std::string to;
    bool wholeRange = false;
    std::string units;
    std::string height = "80m";
    std::string generator;
    bool json = false;
};

Json num(double v, int decimals) { return Json(core::roundHalfEven(v, decimals)); }
Json num(const std::optional<double>& v, int decimals) { return v ? num(*v, decimals) : Json(); }

Json weibullJson(const std::optional<power::Weibull>& w) {
    if (!w) return Json();
    Json o = Json::object();
    o.set("scale", num(w->scale, 3));
    o.set("shape", num(w->shape, 3));
    return o;
}

Json trendJson(const std::optional<power::LinearTrend>& t, int decimals) {
    if (!t) return Json();
    Json o = Json::object();
    o.set("slope", num(t->slope, decimals));
    o.set("standardError", num(t->standardError, decimals));
    return o;
}

Json exceedanceJson(const std::optional<power::Exceedance>& e) {
    if (!e) return Json();
    Json o = Json::object();
    o.set("oneYear", num(e->oneYear, 1));
    o.set("tenYear", num(e->tenYear, 1));
    return o;
}

// Every figure of the resource under the keys scripts read (README, "Wind resource").
Json resourceJson(const session::WindResourceRun& run) {
    const power::WindResource& r = run.resource;
    const sounding::Units& u = r.units;
    Json j = Json::object();
    j.set("wmo", run.heading.wmo);
    j.set("SiteName", run.heading.siteName);
    j.set("fromDate", core::isoDate(run.heading.from));
    j.set("toDate", core::isoDate(run.heading.to));
    j.set("units", u.speedUnit());
    j.set("lengthUnit", u.lengthUnit());
    j.set("height", num(u.lengthFromFeet(r.heightFeet), 1));
    j.set("soundings", r.soundings);
    j.set("calmShare", num(r.calmShare, 2));
    j.set("meanSpeed", num(r.meanSpeed, 3));
    Json weibull = Json::object();
    weibull.set("ml", weibullJson(r.maximumLikelihood));
    weibull.set("energy", weibullJson(r.energyFit));
    j.set("weibull", std::move(weibull));
    j.set("powerDensity", num(r.powerDensity, 1));
    j.set("airDensity", num(r.airDensity, 4));
    j.set("airDensityFrom", r.densityFromStandardAtmosphere ? "standard atmosphere" : "soundings");

    Json::Array histogram;
    for (const auto& b : r.histogram) {
        Json o = Json::object();
        o.set("from", b.from);
        o.set("to", b.to);
        o.set("share", num(b.share, 3));
        o.set("ml", num(b.maximumLikelihood, 3));
        o.set("energy", num(b.energy, 3));
        histogram.push_back(std::move(o));
    }
    j.set("histogram", std::move(histogram));

    Json::Array rose;
    for (const auto& s : r.rose) {
        Json o = Json::object();
        o.set("sector", s.centre);
        o.set("share", num(s.share, 2));
        o.set("energyShare", num(s.energyShare, 2));
        o.set("meanSpeed", num(s.meanSpeed, 3));
        o.set("soundings", s.soundings);
        o.set("weibull", weibullJson(s.weibull));
        rose.push_back(std::move(o));
    }
    j.set("rose", std::move(rose));

    Json::Array shear;
    for (const auto& p : r.shear) {
        Json o = Json::object();
        o.set("from", display::shearHeightShown(p.fromFeet, u));
        o.set("to", display::shearHeightShown(p.toFeet, u));
        o.set("alpha", num(p.alpha, 4));
        o.set("alpha00", num(p.alphaByLaunch[0], 4));
        o.set("alpha12", num(p.alphaByLaunch[1], 4));
        o.set("alphaOther", num(p.alphaByLaunch[2], 4));
        o.set("groundToHeight", p.groundToHeight);
        o.set("soundings", p.soundings);
        shear.push_back(std::move(o));
    }
    j.set("shear", std::move(shear));

    Json::Array monthly;
    for (const auto& m : r.monthly) monthly.push_back(num(m, 3));
    j.set("monthly", std::move(monthly));
    Json::Array byYear;
    for (const auto& y : r.monthlyByYear) {
        Json o = Json::object();
        o.set("year", y.year);
        Json::Array months;
        for (const auto& m : y.months) months.push_back(num(m, 3));
        o.set("months", std::move(months));
        byYear.push_back(std::move(o));
    }
    j.set("monthlyByYear", std::move(byYear));
    Json::Array launch;
    for (int g = 0; g < power::kLaunchHourGroups; ++g) {
        Json o = Json::object();
        o.set("hour", display::launchHourName(g));
        o.set("meanSpeed", num(r.launchMeanSpeed[static_cast<std::size_t>(g)], 3));
        o.set("share", num(r.launchShare[static_cast<std::size_t>(g)], 2));
        launch.push_back(std::move(o));
    }
    j.set("launchHours", std::move(launch));
    j.set("launchNote", display::launchHourNote());

    Json::Array years;
    for (const auto& y : r.years) {
        Json o = Json::object();
        o.set("year", y.year);
        o.set("meanSpeed", num(y.meanSpeed, 3));
        o.set("complete", y.complete);
        o.set("coverage", num(100 * y.coverage, 2));
        o.set("soundings", y.soundings);
        o.set("maxSpeed", num(y.maxSpeed, 3));
        if (r.withGenerator) o.set("energy", num(y.energy, 1));
        years.push_back(std::move(o));
    }
    j.set("years", std::move(years));
    j.set("completeYears", r.completeYears);
    Json::Array leftOut;
    for (int y : r.leftOutYears) leftOut.push_back(y);
    j.set("leftOutYears", std::move(leftOut));
    j.set("trend", trendJson(r.speedTrend, 4));
    j.set("cov", num(r.speedCoV, 2));
    if (r.withGenerator) {
        j.set("generator", run.heading.generatorName);
        j.set("energyTrend", trendJson(r.energyTrend, 2));
        j.set("energyCov", num(r.energyCoV, 2));
        j.set("p50", exceedanceJson(r.p50));
        j.set("p75", exceedanceJson(r.p75));
        j.set("p90", exceedanceJson(r.p90));
        j.set("pNote", r.exceedanceNote);
    }
    Json::Array maxima;
    for (double m : r.annualMaxima) maxima.push_back(num(m, 3));
    j.set("annualMaxima", std::move(maxima));
    j.set("extreme50", num(r.extreme50, 2));
    j.set("extremeNote", r.extremeNote);
    j.set("iecClass", r.iecClass ? Json(*r.iecClass) : Json());
    j.set("iecNote", r.iecNote);
    return j;
}

void runResource(CliContext& ctx, const ResourceOptions& o) {
    session::Session& s = ctx.session();
    const long wmo = parseStation(o.wmo);
    sounding::Units units = sounding::Units::fromSetting(s.settings().get("Units", "0"));
    if (!o.units.empty() && !sounding::Units::fromWord(o.units, units))
        throw CliError("'" + o.units + "' is not a unit (knots, mph or si)");
    std::string refusal;
    const auto heightFeet = session::resourceHeightFeet(o.height, units, refusal);
    if (!heightFeet) throw CliError(refusal);
    std::optional<core::Days> from, to;
    if (!o.from.empty()) from = parseDate(o.from);
    if (!o.to.empty()) to = parseDate(o.to);

    ctx.prompter.messagesToError = o.json;
    session::PowerPage page(s);
    // A look at the resource is no analysis of the Power Page: nothing is saved.
    page.saveAfterEachRun = false;
    session::SiteAnalysis& analysis = page.site();
    analysis.setUnits(units);
    page.setHeightFeet(*heightFeet);
    analysis.setProgress(&ctx.progress);
    requireStationWithData(s, analysis, wmo);
    if (!o.generator.empty() && !page.chooseGenerator(o.generator, false))
        throw CliError("there is no generator named '" + o.generator + "'");
    analysePeriod(ctx, analysis, wmo, from, to, o.wholeRange);

    const session::WindResourceRun run = session::windResourceOf(page, *heightFeet, units);
    if (!run.resource.computed) throw CliError(run.resource.message);
    if (o.json) {
        std::cout << resourceJson(run).dump() << std::endl;
        return;
    }
    for (const std::string& line : display::resourceReport(run.resource, run.heading)) std::cout << line << "\n";
    std::cout << std::flush;
}

}  // namespace

void addResourceCommands(CLI::App& app, CliContext& ctx) {
    static ResourceOptions options;
    auto* cmd = app.add_subcommand("resource", "Wind resource of a station at one height: Weibull fits, rose, shear, "
                                               "seasons, year-to-year spread, P50/P90, extremes and turbine class");
    ctx.addFolderOption(cmd);
    cmd->add_option("WMO", options.wmo, "WMO station number")->required();
    auto* from = cmd->add_option("--from", options.from, "First day of the period (2019-01-31, 31-Jan-2019, ...)");
    auto* to = cmd->add_option("--to", options.to, "Last day of the period");
    cmd->add_flag("--whole-range", options.wholeRange, "The station's whole range, not its last analysed one")
        ->excludes(from)
        ->excludes(to);
    cmd->add_option("--height", options.height, "Height above ground, 0 to 5000 feet: 80m, 260f, or a number in the "
                                                "unit shown (default 80m)");
    cmd->add_option("--generator", options.generator, "Wind generator whose yearly energy, P50, P75 and P90 are given");
    cmd->add_option("--units", options.units, "knots, mph or si (default: the Units setting)");
    cmd->add_flag("--json", options.json, "One JSON object instead of the report");
    cmd->callback([&ctx] { runResource(ctx, options); });
}

}  // namespace skyloom::cli
