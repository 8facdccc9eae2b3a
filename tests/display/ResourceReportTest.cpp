#include "display/ResourceCsv.h"
#include "display/ResourceGraphModel.h"
#include "display/ResourceReport.h"

#include <gtest/gtest.h>

#include "core/Dates.h"
#include "sounding/LevelStatistics.h"

using namespace skyloom;

namespace {

// Ten days of twice-daily soundings: a west wind growing from 4 to 23 knots at
// 1000 feet, one calm, a north-east wind now and then.
sounding::SoundingSet tenDays() {
    sounding::SoundingSet set;
    for (int n = 1; n <= 20; ++n) {
        set.ensureCapacity(n);
        set.key[n] = n;
        set.time[n][0] = core::hoursSince1930(core::makeDate(2019, 3, 1), 0) + 12 * (n - 1);
        set.topWindLevel[n] = 4;
        for (int lv = 0; lv <= 4; ++lv)
            set.level[n][lv] = {0, n == 7 ? 0 : (30 + 10 * n) * (lv + 2) / 4, n % 5 == 0 ? 45 : 270, 500, 95000};
    }
    set.setCount(20);
    sounding::computeTimeWeights(set);
    return set;
}

power::WindResource resource(double feet, sounding::UnitMode mode) {
    power::ResourceOptions o;
    o.heightFeet = feet;
    o.units = sounding::Units(mode);
    return power::computeWindResource(tenDays(), o);
}

display::ResourceHeading heading() {
    return {72518, "ALBANY, \"NY\"", core::makeDate(2019, 3, 1), core::makeDate(2019, 3, 10), ""};
}

bool hasNan(const std::string& s) { return s.find("nan") != std::string::npos || s.find("inf") != std::string::npos; }

}  // namespace

TEST(ResourceReport, everyMissingFigureSaysWhyAndNothingIsNan) {
    const auto r = resource(1000, sounding::UnitMode::Knots);
    ASSERT_TRUE(r.computed);
    const auto lines = display::resourceReport(r, heading());
    EXPECT_EQ(lines[0], "Wind resource of ALBANY, \"NY\" at 1000 feet, Mar 1, 2019 to Mar 10, 2019");
    EXPECT_EQ(lines[1].rfind("20 soundings with a wind at this height; calm 5.0% of the time; mean speed ", 0), 0u)
        << lines[1];
    bool extreme = false, iec = false, generator = false, leftOut = false;
    for (const auto& l : lines) {
        EXPECT_FALSE(hasNan(l)) << l;
        extreme |= l == "No 50-year return speed: it needs at least 5 complete years, this period has 0.";
        iec |= l.rfind("No IEC 61400-1 class: it needs the 50-year return speed", 0) == 0;
        generator |= l == "Energy, P50, P75 and P90: choose a generator (--generator NAME).";
        leftOut |= l == "Left out (soundings cover less than 70% of the year): 2019";
    }
    EXPECT_TRUE(extreme && iec && generator && leftOut);
    // The window's table and notes say the same.
    const auto g = display::buildResourceGraphs(r, heading());
    ASSERT_EQ(g.table.size(), 4u);
    EXPECT_EQ(g.table[3][0], "P90");
    EXPECT_EQ(g.table[3][1], "-");
    EXPECT_EQ(g.rose.size(), 12u);
    EXPECT_EQ(g.profile.size(), 5u);   // the levels up to the top wind
    EXPECT_NE(g.monthlyNote.find("two times of day"), std::string::npos);
    EXPECT_EQ(g.monthlyTitle.rfind("Mean speed by month (knots); by launch hour: 00 UTC ", 0), 0u) << g.monthlyTitle;
    EXPECT_EQ(g.monthlyTitle.find("other hours"), std::string::npos);   // none launched then
}

TEST(ResourceReport, aHeightWithoutWindGivesOnlyItsMessage) {
    const auto r = resource(3000, sounding::UnitMode::SI);
    EXPECT_FALSE(r.computed);
    const auto lines = display::resourceReport(r, heading());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "No sounding of this period has a wind at 914.4 meters: there is no wind resource to show at "
                        "this height.");
    const auto g = display::buildResourceGraphs(r, heading());
    EXPECT_FALSE(g.computed);
    EXPECT_EQ(display::resourceTitle(r, {}), "Wind resource at 914.4 meters");
    EXPECT_EQ(g.keyLines, std::vector<std::string>{lines[1]});
    const std::string csv = display::resourceCsvText(r, heading());
    EXPECT_NE(csv.find("\"Message\",\"No sounding of this period"), std::string::npos);
}

TEST(ResourceReport, csvQuotesTextsWritesNumbersPlainAndMissingFiguresEmpty) {
    const auto r = resource(1000, sounding::UnitMode::Mph);
    const std::string csv = display::resourceCsvText(r, heading());
    EXPECT_EQ(csv.substr(0, 72), "\"Wind resource\",\"ALBANY, \"\"NY\"\"\"\r\n\"Station\",72518\r\n\"From\",\"2019-03-01\"\r\n");
    EXPECT_NE(csv.find("\r\n\"Height\",1000,\"feet\"\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\r\n\"50-year return speed\",\"\",\"mph\"\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\r\n\"IEC 61400-1 class\",\"\"\r\n"), std::string::npos);
    // Sector 90 has no wind: its mean speed and fit are empty texts; the rose rows are whole.
    EXPECT_NE(csv.find("\r\n90,0,0,\"\",\"\",\"\",0\r\n"), std::string::npos);
    EXPECT_FALSE(hasNan(csv));
    EXPECT_EQ(csv.find('\n'), csv.find("\r\n") + 1);
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
}
