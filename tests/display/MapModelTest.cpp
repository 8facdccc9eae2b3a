#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "core/StationIndex.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"

using namespace skyloom::display;
using skyloom::test::ScriptedPrompter;

namespace {

Station station(long wmo, std::string name, double lat, double lon, std::string area = "99", double elev = 100) {
    return Station{wmo, std::move(name), std::move(area), "US", "United States", "North America", lat, lon, elev};
}

// Three stations around Albany, one far away in Asia.
std::vector<Station> northEast() {
    return {station(72518, "ALBANY", 42.75, -73.80, "NY", 86), station(72606, "PORTLAND", 43.65, -70.32, "ME", 20),
            station(74494, "CHATHAM", 41.67, -69.97, "MA", 16), station(47646, "TATENO", 36.05, 140.13, "99", 31)};
}

std::vector<std::size_t> wmosOf(const std::vector<std::string>& lines) {
    std::vector<std::size_t> out;
    for (const auto& l : lines) out.push_back(static_cast<std::size_t>(SiteLine::parse(l)->wmo()));
    return out;
}

}  // namespace

TEST(MapModel, mapCoordinatesPutLatitude88AtTheTop) {
    const MapPoint p = toMap(42.75, -73.8);
    EXPECT_DOUBLE_EQ(p.x, 106.2);
    EXPECT_DOUBLE_EQ(p.y, 45.25);
    EXPECT_DOUBLE_EQ(latitudeAt(p.y), 42.75);
    EXPECT_DOUBLE_EQ(longitudeAt(p.x), -73.8);
    const MapRect r = markerAt(10, 20, 1.0, 2.0);
    EXPECT_DOUBLE_EQ(r.left, 199.5);
    EXPECT_DOUBLE_EQ(r.top, 77.0);
    EXPECT_DOUBLE_EQ(dataDotRadius(150), 0.75);
}

TEST(MapModel, nearListLineHasNameAreaCountryElevationAndKey) {
    EXPECT_EQ(nearListLine(station(72518, "ALBANY", 42.75, -73.80, "NY", 86)),
              std::string("ALBANY, NY, United States North America =>282 feet above sea level.") +
                  std::string(200 - 67, ' ') + "42.75, -73.80#72518");
    // Area code "99" means none: nothing between the name and the country.
    const std::string tateno = nearListLine(station(47646, "TATENO", 36.05, 140.13, "99", 31));
    EXPECT_EQ(tateno.substr(0, 63), "TATENO, United States North America =>102 feet above sea level.");
    EXPECT_EQ(nearListLine(station(1, "X", 0.5, 0.5, "", 0)).substr(0, 58),
              "X, United States North America =>0 feet above sea level.  ");
    EXPECT_EQ(nearListLine(station(2, "Y", 0.5, 0.5, "--", 0)).substr(0, 56),
              "Y, United States North America =>0 feet above sea level.");
}

TEST(MapModel, siteCircleDefaultsTo200MilesAndSizesWithinItsLimits) {
    SiteCircle c;
    EXPECT_NEAR(c.width, 2.883, 1e-3);
    EXPECT_NEAR(c.diameterMiles(), 200.0, 1e-9);
    EXPECT_NEAR(c.radiusKm(), 160.0, 1e-9);
    c.x0 = 100;
    c.y0 = 40;
    c.sizeTo(103, 44);  // r = 5
    EXPECT_DOUBLE_EQ(c.width, 10.0);
    c.sizeTo(100 + 800.0 / 555.0, 40);  // at the small limit: back to default
    EXPECT_DOUBLE_EQ(c.width, SiteCircle::kDefaultWidth);
    c.sizeTo(150, 40);  // r = 50: still allowed (limit 50.45)
    EXPECT_DOUBLE_EQ(c.width, 100.0);
    c.sizeTo(151, 40);  // beyond 28000/555: keeps the last size
    EXPECT_DOUBLE_EQ(c.width, 100.0);
    EXPECT_EQ(nlabelText(3, c.diameterMiles()), "3 Sites in 6938 mile diameter white circle");
}

TEST(MapModel, pointerMoveFindsTheNearestStationAndListsThoseWithin160Km) {
    MapModel m(northEast());
    const MapPoint p = toMap(42.9, -73.5);
    m.pointerMove(p.x, p.y, MouseButton::None);
    EXPECT_TRUE(m.circle().visible);
    EXPECT_DOUBLE_EQ(m.circle().x0, p.x);
    EXPECT_EQ(m.tlat(), "42.90");
    EXPECT_EQ(m.tlon(), "-73.50");
    ASSERT_TRUE(m.nearestStation());
    EXPECT_EQ(m.stations()[*m.nearestStation()].wmo, 72518);
    EXPECT_EQ(m.tipText(),
              "Left Click to show data for ALBANY, NY, United States North America and to make it the Current "
              "Reference Site.\nRight click to show its data compared to the Current Reference Site.");
    EXPECT_EQ(wmosOf(m.nearList()), (std::vector<std::size_t>{72518}));
    EXPECT_EQ(m.nlabel(), "1 Sites in 200 mile diameter white circle");

    // Halfway between Portland and Chatham both are within 160 km.
    const MapPoint q = toMap(42.66, -70.15);
    m.pointerMove(q.x, q.y, MouseButton::None);
    EXPECT_EQ(wmosOf(m.nearList()), (std::vector<std::size_t>{72606, 74494}));
}

TEST(MapModel, theFollowListNeverHoldsStationsAQuarterTurnAway) {
    MapModel m({station(1, "A", 0, 0), station(2, "B", 0, 100)});
    const MapPoint p = toMap(0, 99.9);
    m.pointerMove(p.x, p.y, MouseButton::None);
    EXPECT_EQ(m.stations()[*m.nearestStation()].wmo, 2);
    EXPECT_EQ(wmosOf(m.nearList()), (std::vector<std::size_t>{2}));
}

TEST(MapModel, dragSizesTheCircleAndReleaseFreezesAndListsIt) {
    MapModel m(northEast());
    const MapPoint a = toMap(42.75, -72.0);
    m.pointerMove(a.x + 3, a.y, MouseButton::None);
    EXPECT_EQ(m.buttonDown(a.x, a.y, MouseButton::Left).kind, MapAction::Kind::None);
    EXPECT_DOUBLE_EQ(m.circle().width, SiteCircle::kDefaultWidth);
    EXPECT_DOUBLE_EQ(m.circle().x0, a.x);
    m.pointerMove(a.x + 2.5, a.y, MouseButton::Left);
    EXPECT_DOUBLE_EQ(m.circle().width, 5.0);
    EXPECT_DOUBLE_EQ(m.circle().x0, a.x);
    m.buttonUp(a.x + 2.5, a.y, MouseButton::Left);

    EXPECT_TRUE(m.circle().frozen);
    EXPECT_TRUE(m.ifoAlert());
    EXPECT_EQ(m.ifoText(), "White circle is now frozen. RIGHT CLICK on map to Unfreeze it.");
    EXPECT_TRUE(m.clearButtonVisible());
    EXPECT_EQ(m.tlat(), "42.75");
    EXPECT_EQ(m.tlon(), "-72.00");
    // Radius 277.5 km: Albany (149 km) and Portland (~253 km) in, Chatham (~271 km) in.
    EXPECT_EQ(wmosOf(m.nearList()), (std::vector<std::size_t>{72518, 72606, 74494}));
    EXPECT_EQ(m.nlabel(), "3 Sites in 347 mile diameter white circle");

    // Frozen: moving without a button changes nothing.
    const auto before = m.nearList();
    m.pointerMove(10, 10, MouseButton::None);
    EXPECT_EQ(m.tlat(), "42.75");
    EXPECT_EQ(m.nearList(), before);
    EXPECT_DOUBLE_EQ(m.circle().x0, a.x);
}

TEST(MapModel, theCircleUsesItsOwn111KmPerDegreeSoItsEdgeIsStrict) {
    // 1.44 degrees of latitude: inside the drawn circle (radius 1.4414 map units)
    // but 160.12 km away, beyond the circle's 160 km.
    MapModel m({station(1, "EDGE", 11.44, 0), station(2, "IN", 11.43, 0)});
    const MapPoint c = toMap(10, 0);
    m.buttonDown(c.x, c.y, MouseButton::Left);
    m.buttonUp(c.x, c.y, MouseButton::Left);
    EXPECT_EQ(wmosOf(m.nearList()), (std::vector<std::size_t>{2}));
}

TEST(MapModel, rightClickUnfreezesAndClearLeftListEmptiesEverything) {
    MapModel m(northEast());
    const MapPoint a = toMap(42.0, -72.0);
    m.buttonDown(a.x, a.y, MouseButton::Left);
    m.buttonUp(a.x, a.y, MouseButton::Left);
    ASSERT_TRUE(m.circle().frozen);

    m.buttonDown(a.x + 1, a.y, MouseButton::Right);
    m.buttonUp(a.x + 1, a.y, MouseButton::Right);
    EXPECT_FALSE(m.circle().frozen);
    EXPECT_FALSE(m.ifoAlert());
    EXPECT_EQ(m.ifoText(), "The list below are the radiosonde data sites within the white circle.  Click and drag on "
                           "map to make circle larger.");
    m.pointerMove(a.x + 2, a.y, MouseButton::None);
    EXPECT_DOUBLE_EQ(m.circle().x0, a.x + 2);

    // An ordinary right click on a free circle freezes it like a left one.
    m.buttonDown(a.x, a.y, MouseButton::Right);
    m.buttonUp(a.x, a.y, MouseButton::Right);
    EXPECT_TRUE(m.circle().frozen);

    m.clearLeftList();
    EXPECT_FALSE(m.circle().frozen);
    EXPECT_FALSE(m.circle().visible);
    EXPECT_TRUE(m.nearList().empty());
    EXPECT_TRUE(m.nlabel().empty());
    EXPECT_FALSE(m.clearButtonVisible());
    EXPECT_FALSE(m.ifoAlert());
}

TEST(MapModel, clickOnAStationSelectsItOrComparesItWithTheReference) {
    MapModel m(northEast());
    const MapPoint albany = toMap(42.75, -73.80);
    m.pointerMove(albany.x + 0.2, albany.y, MouseButton::None);
    ASSERT_TRUE(m.pointerOnTip(albany.x + 0.2, albany.y));

    const MapAction right = m.buttonDown(albany.x + 0.2, albany.y, MouseButton::Right);
    EXPECT_EQ(right.kind, MapAction::Kind::CompareWithReference);
    EXPECT_EQ(right.wmo, 72518);
    EXPECT_EQ(right.line, m.stationLine(0));
    EXPECT_FALSE(m.referenceSite());
    m.buttonUp(albany.x + 0.2, albany.y, MouseButton::Right);
    EXPECT_FALSE(m.circle().frozen);  // a release on the station does not freeze

    const MapAction left = m.buttonDown(albany.x, albany.y, MouseButton::Left);
    EXPECT_EQ(left.kind, MapAction::Kind::Select);
    ASSERT_TRUE(m.referenceSite());
    EXPECT_EQ(m.referenceSite()->wmo, 72518);
    EXPECT_DOUBLE_EQ(m.referenceSite()->lat, 42.75);
    EXPECT_EQ(m.referenceSite()->label, " Reference Site is: ALBANY, NY, United States North America");

    // Away from the dot a press starts a new default circle instead.
    m.setTipHitRadius(0.1);
    EXPECT_FALSE(m.pointerOnTip(albany.x + 0.2, albany.y));
    EXPECT_EQ(m.buttonDown(albany.x + 0.2, albany.y, MouseButton::Left).kind, MapAction::Kind::None);
}

TEST(MapModel, pressingAListLineMovesTheDefaultCircleOntoTheStation) {
    MapModel m(northEast());
    m.centreOn(*SiteLine::parse(m.stationLine(1)));
    const MapPoint p = toMap(43.65, -70.32);
    EXPECT_DOUBLE_EQ(m.circle().x0, p.x);
    EXPECT_DOUBLE_EQ(m.circle().y0, p.y);
    EXPECT_DOUBLE_EQ(m.circle().width, SiteCircle::kDefaultWidth);
}

namespace {

// 20 stations due north of 10 N 20 E at 0.1 degree steps, listed farthest first,
// and one more a quarter turn away that is never counted.
std::vector<Station> ladder() {
    std::vector<Station> out;
    for (int i = 20; i >= 1; --i) out.push_back(station(100 + i, "S" + std::to_string(i), 10 + i * 0.1, 20));
    out.push_back(station(999, "FAR", 10, 115));
    return out;
}

}  // namespace

TEST(MapModel, nearestFifteenToTypedCoordinates) {
    MapModel m(ladder());
    ScriptedPrompter p;
    p.answer("95").answer("10").answer("-200").answer("20");
    ASSERT_TRUE(m.findNearest(p));
    EXPECT_EQ(p.prompts, (std::vector<std::string>{
                             "What Latitude do you want to freeze the Cursor at? (-60 to 90 and not 0)",
                             "What Latitude do you want to freeze the Cursor at? (-60 to 90 and not 0)",
                             "What Longitude do you want to freeze the Cursor at? (-180 to 180 and not 0)",
                             "What Longitude do you want to freeze the Cursor at? (-180 to 180 and not 0)"}));
    EXPECT_EQ(p.defaults, (std::vector<std::string>{"0.0", "0.0", "0.0", "0.0"}));
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Please enter data in the correct range.",
                                                    "Please enter data in the correct range."}));
    std::vector<std::size_t> expect;
    for (int i = 1; i <= 15; ++i) expect.push_back(static_cast<std::size_t>(100 + i));
    EXPECT_EQ(wmosOf(m.nearList()), expect);
    EXPECT_EQ(m.nlabel(), "Nearest 15 Sites to coordinates 10, 20");
    EXPECT_TRUE(m.circle().frozen);
    EXPECT_TRUE(m.ifoAlert());
    const double miles15 = 1.5 * 111.195 * 3281.0 / 5280.0;
    EXPECT_NEAR(m.circle().width, 2 * miles15 * 8 / 5 / 111, 1e-3);
    EXPECT_DOUBLE_EQ(m.circle().x0, 200.0);
    EXPECT_DOUBLE_EQ(m.circle().y0, 78.0);

    // A second run offers the frozen circle's position.
    ScriptedPrompter again;
    again.answer("-12.5").answer("20.25");
    ASSERT_TRUE(m.findNearest(again));
    EXPECT_EQ(again.defaults, (std::vector<std::string>{"10.00", "20.00"}));
    EXPECT_EQ(m.nlabel(), "Nearest 15 Sites to coordinates -12.5, 20.25");
}

TEST(MapModel, nearestDialogueEndsOnZeroOrCancel) {
    MapModel m(ladder());
    ScriptedPrompter zero;
    zero.answer("0");
    EXPECT_FALSE(m.findNearest(zero));
    ScriptedPrompter lonZero;
    lonZero.answer("10").answer("0");
    EXPECT_FALSE(m.findNearest(lonZero));
    ScriptedPrompter cancel;
    cancel.cancel();
    EXPECT_FALSE(m.findNearest(cancel));
    EXPECT_TRUE(m.nearList().empty());
    EXPECT_FALSE(m.circle().frozen);
}

TEST(MapModel, pageTextsAndCaptions) {
    EXPECT_EQ(orderButtonCaption(false), "Order Data");
    EXPECT_EQ(orderButtonCaption(true), "See Analysis");
    EXPECT_EQ(pageCaption(false, 24), "  Analysis Page of Skyloom - Wind Data Display Program V24.0");
    EXPECT_EQ(pageCaption(true, 24.5), "  Order Data Page of Skyloom - Wind Data Display Program V24.5");
}

TEST(MapModel, indexEntriesBecomeMapStationsWithTheirCountry) {
    skyloom::core::StationEntry e;
    e.wmo = 72518;
    e.name = "ALBANY";
    e.province = "NY";
    e.country = "US";
    e.lat = 42.75;
    e.lon = -73.8;
    e.elev = 86;
    skyloom::core::CountryEntry c;
    c.name = "United States";
    c.region = "North America";
    EXPECT_EQ(nearListLine(mapStation(e, &c)), nearListLine(station(72518, "ALBANY", 42.75, -73.80, "NY", 86)));
    const Station unknown = mapStation(e, nullptr);
    EXPECT_EQ(unknown.countryCode, "US");
    EXPECT_TRUE(unknown.countryName.empty());
}
