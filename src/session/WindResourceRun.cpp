#include "session/WindResourceRun.h"

#include <algorithm>

#include "core/Formats.h"
#include "core/StationIndex.h"
#include "power/PowerProduction.h"
#include "session/PowerPage.h"
#include "session/Session.h"
#include "sounding/HeightInterpolation.h"

namespace skyloom::session {

WindResourceRun windResourceOf(PowerPage& page, double heightFeet, const sounding::Units& units) {
    WindResourceRun run;
    SiteAnalysis& site = page.site();
    run.heading.wmo = site.currentWmo();
    run.heading.siteName = site.siteName();
    run.heading.from = site.currentFrom();
    run.heading.to = site.currentTo();

    power::ResourceOptions options;
    options.heightFeet = heightFeet;
    options.units = units;
    if (const core::StationEntry* station = page.session().stations().find(site.currentWmo()))
        options.groundElevationMetres = station->elev;
    if (const auto& g = page.generator()) {
        options.generator = power::PowerModel::fromGenerator(*g);
        run.heading.generatorName = g->name;
        if (page.power().computed() && page.power().generator() && page.power().generator()->name == g->name)
            options.correction = 1.0 + power::heightEffect(page.power().results(), heightFeet);
    }
    run.resource = power::computeWindResource(site.soundings(), options);
    if (site.soundings().count() == 0) run.resource.message = "No soundings are loaded: pick a site with data first.";
    return run;
}

std::optional<double> resourceHeightFeet(std::string_view typed, const sounding::Units& units, std::string& refusal) {
    refusal.clear();
    const auto feet = sounding::parseHeightOfInterest(typed, units, true);
    if (!feet) {
        refusal = "'" + std::string(typed) + "' is not a height (a number, optionally followed by m or f)";
        return std::nullopt;
    }
    // 1524 metres is 5000.2 feet by the program's 3.281: still the top level.
    if (*feet < 0 || *feet > kResourceTopFeet + 0.5) {
        refusal = "The height must lie between the ground and 5000 feet (1524 meters).";
        return std::nullopt;
    }
    return std::min(*feet, kResourceTopFeet);
}

}  // namespace skyloom::session

namespace skyloom::session {

std::string resourceHeightPrompt(const sounding::Units& units) {
    return "At what height should the wind resource be shown? Add an f or m after the number for feet or meters; "
           "a number by itself is in the current units (" + std::string(units.lengthUnit()) + "). From 0 to 5000 feet.";
}

}  // namespace skyloom::session
