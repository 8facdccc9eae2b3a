#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "display/ResourceReport.h"
#include "power/WindResource.h"

namespace skyloom::display {

// A point of a resource graph in the graph's own units (display units).
struct ResourcePoint {
    double x = 0;
    double y = 0;
};

// Everything the "Wind Resource" window draws, in display units, with its texts;
// the window only paints it.
struct ResourceGraphs {
    bool computed = false;
    std::string title;
    std::vector<std::string> keyLines;      // or the message of a resource that could not be computed

    // Polar rose: share of the time per sector (filled) and share of the energy (outline), percent.
    struct Sector {
        double centre = 0;
        double share = 0;
        double energyShare = 0;
    };
    std::vector<Sector> rose;
    double roseMax = 0;                     // percent at the outer ring
    std::vector<double> roseRings;          // percent of each ring
    std::string roseTitle;

    // Histogram in one-display-unit bars with both fitted curves (percent per bar).
    struct Bar {
        double from = 0, to = 0, share = 0;
    };
    std::vector<Bar> bars;
    std::vector<ResourcePoint> maximumLikelihoodCurve, energyCurve;
    double histogramMaxSpeed = 0, histogramMaxShare = 0;
    std::string histogramTitle, histogramSpeedCaption;

    // Shear profile: the mean speed of each level (calms left out) up the heights,
    // the power law from the ground report through the chosen height, and each
    // pair's exponent beside it.
    std::vector<ResourcePoint> profile;     // x speed, y height (display units)
    std::vector<ResourcePoint> powerLaw;
    struct AlphaLabel {
        ResourcePoint at;
        std::string text;
    };
    std::vector<AlphaLabel> alphaLabels;
    std::optional<ResourcePoint> chosen;    // the chosen height on the power law
    double profileMaxSpeed = 0, profileMaxHeight = 0;
    std::string profileTitle, profileSpeedCaption;

    // Mean speed by month, all years.
    std::array<std::optional<double>, 12> monthly{};
    double monthlyMax = 0;
    std::string monthlyTitle, monthlyNote;

    // Yearly mean speeds with the trend line of the complete years.
    struct YearDot {
        int year = 0;
        double mean = 0;
        bool complete = false;
    };
    std::vector<YearDot> years;
    std::optional<std::array<ResourcePoint, 2>> trendLine;
    double yearsMinSpeed = 0, yearsMaxSpeed = 0;
    std::string yearsTitle, trendText;

    // P50/P75/P90 table and its note.
    std::vector<std::array<std::string, 3>> table;
    std::vector<std::string> tableNotes;
};

ResourceGraphs buildResourceGraphs(const power::WindResource& r, const ResourceHeading& h);

}  // namespace skyloom::display
