#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {
class Prompter;
class StationIndex;
struct StationEntry;
struct CountryEntry;
}

namespace skyloom::display {

class SiteLine;

// A station as the map and its lists need it. Coordinates in degrees, north and
// east positive; an area code of "99" (or none) means the station has none.
struct Station {
    long wmo = 0;
    std::string name;
    std::string areaCode;
    std::string countryCode;
    std::string countryName;
    std::string region;
    double lat = 0.0;
    double lon = 0.0;
    double elevMetres = 0.0;
};

// A station of the in-memory index with its country's name and region (none
// when the country is unknown).
Station mapStation(const core::StationEntry& entry, const core::CountryEntry* country);
std::vector<Station> mapStations(const core::StationIndex& index);

// The map picture is scaled in degrees with latitude 88 N at its top edge.
struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};
MapPoint toMap(double latDeg, double lonDeg);
double latitudeAt(double mapY);
double longitudeAt(double mapX);

// A round marker of the given size centred on a station, in map units.
struct MapRect {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
};
MapRect markerAt(double latDeg, double lonDeg, double width, double height);

// Dot radii in map units: the Analysis page draws its stations with the settings'
// dot size, the Order Data page all stations at 0.5 and the ordered ones at 1.0.
double dataDotRadius(double dotSizeSetting);
inline constexpr double kStationDotRadius = 0.5;
inline constexpr double kOrderDotRadius = 1.0;

// Fixed texts of the map pages.
inline constexpr std::string_view kAnalysisHelp =
    " Black Dots are sites with data. Red Dot is the site whose data is displayed. Cyan Dot is the site "
    "used as a Reference. White Dot is the closest site to the Cursor.";
inline constexpr std::string_view kOrderHelp =
    " Black Dots are Radiosonde sites. The White Circle is the area of current interest and the list of "
    "sites in the circle are in the left lower list.";
inline constexpr std::string_view kIfoFirstText =
    "The list below are the radiosonde data sites within the white circle.  Click and drag on map to "
    "make circle larger.";
inline constexpr std::string_view kIfoFrozenText =
    "White circle is now frozen. RIGHT CLICK on map to Unfreeze it.";
inline constexpr std::string_view kListToolTip =
    "To see the terrain arround any site, click and drag a site from this list to Google Earth.";
inline constexpr std::string_view kComboToolTip =
    "Select a sounding site for which there is data to view using the dropdown arrow above!";
inline constexpr std::string_view kOrderListCaption = "Order List (Will show as Red Circles on above map)";
inline constexpr std::string_view kClosestCaption = "Find the 15 nearest radiosondes to a known lat,lon";
// The page switch button's caption and the form caption (version formatted "#.0").
std::string_view orderButtonCaption(bool orderPage);
std::string pageCaption(bool orderPage, double version);

// The near-list line of a station: name, area code, country and region,
// elevation in feet, padded to 200 characters, then the hidden key.
std::string nearListLine(const Station& s);

// The white circle: centre (x0, y0) and width in map units (degrees).
struct SiteCircle {
    static constexpr double kDefaultWidth = 1600.0 / 5.0 / 111.0;  // 200 miles across
    static constexpr double kMinRadius = 800.0 / 5.0 / 111.0;      // smaller snaps back to default
    static constexpr double kMaxRadius = 28000.0 / 5.0 / 111.0;    // larger keeps the last size
    // Radius in km of the list that follows the pointer (the default circle's).
    static constexpr double kFollowRadiusKm = 800.0 / 5.0;

    double x0 = 180.0;
    double y0 = 88.0;
    double width = kDefaultWidth;
    bool frozen = false;
    bool visible = false;

    double diameterMiles() const { return width * 111.0 * 5.0 / 8.0; }
    double radiusKm() const { return width * 111.0 / 2.0; }
    double centreLat() const { return latitudeAt(y0); }
    double centreLon() const { return longitudeAt(x0); }
    MapRect rect() const { return {x0 - width / 2.0, y0 - width / 2.0, width, width}; }
    // Sizing while a button is held: the pointer's distance from the centre is the radius.
    void sizeTo(double x, double y);
};

// count + " Sites in " + diameter + " mile diameter white circle".
std::string nlabelText(std::size_t count, double diameterMiles);

enum class MouseButton { None, Left, Right };

// What a click on a station asks the session to do with the station's line.
struct MapAction {
    enum class Kind {
        None,
        Select,                // left click: the station is now the reference site; analyse it
        CompareWithReference,  // right click: analyse it against the current reference site
    };
    Kind kind = Kind::None;
    long wmo = 0;
    std::string line;
};

// The reference site as the map shows it (the cyan dot and the label RefSite).
struct ReferenceSite {
    long wmo = 0;
    double lat = 0.0;
    double lon = 0.0;
    std::string label;  // " Reference Site is: " + the line before " from "
};

// The state behind the map of the two main pages: the white circle, the near
// list, the white dot on the station nearest the pointer with its tip, and the
// pointer fields. The windows forward pointer events and draw what is exposed.
class MapModel {
public:
    explicit MapModel(std::vector<Station> stations = {});

    void setStations(std::vector<Station> stations);
    const std::vector<Station>& stations() const { return stations_; }
    // The near-list line of station i (built once when the stations are set).
    const std::string& stationLine(std::size_t i) const { return lines_[i]; }

    // Pointer events over the map, in map units. held is the button held during a move.
    void pointerMove(double x, double y, MouseButton held);
    MapAction buttonDown(double x, double y, MouseButton button);
    void buttonUp(double x, double y, MouseButton button);

    // The button "Clear All Sites from List".
    void clearLeftList();
    // A press on a near-list or order-list line: the default circle moves onto the station.
    void centreOn(const SiteLine& line);
    // The button "Find the 15 nearest radiosondes to a known lat,lon". False when
    // the user ended the dialogue.
    bool findNearest(core::Prompter& prompter, std::size_t count = 15);

    void setReferenceSite(const SiteLine& line);
    const std::optional<ReferenceSite>& referenceSite() const { return reference_; }

    const SiteCircle& circle() const { return circle_; }
    const std::vector<std::string>& nearList() const { return near_; }
    const std::string& nlabel() const { return nlabel_; }
    const std::string& tlat() const { return tlat_; }
    const std::string& tlon() const { return tlon_; }
    // The text Tlat and Tlon give when dragged: latitude, ", ", longitude.
    std::string coordinatesText() const { return tlat_ + ", " + tlon_; }
    const std::string& ifoText() const { return ifo_; }
    bool ifoAlert() const { return ifoAlert_; }  // shown red (colour 255)
    bool clearButtonVisible() const { return clearButton_; }

    // The white dot: the station nearest the pointer, and the tip shown by it.
    std::optional<std::size_t> nearestStation() const { return nearest_; }
    const std::string& tipText() const { return tip_; }
    // The pointer is on the station's label when it is within this many map
    // units of the white dot (the windows set it from their pixel scale).
    void setTipHitRadius(double mapUnits) { hitRadius_ = mapUnits; }
    bool pointerOnTip(double x, double y) const;

    // Search helpers over the station list (coordinates in degrees).
    std::optional<std::size_t> nearestTo(double latDeg, double lonDeg) const;
    // Stations whose distance is not greater than km, in list order.
    std::vector<std::size_t> within(double latDeg, double lonDeg, double km) const;

private:
    void freeze();
    void unfreeze();
    void listWithinCircle();
    void updateNlabel();
    void showCoordinates(double latDeg, double lonDeg);

    std::vector<Station> stations_;
    std::vector<std::string> lines_;
    std::vector<double> latRad_;
    std::vector<double> lonRad_;

    SiteCircle circle_;
    std::vector<std::string> near_;
    std::string nlabel_;
    std::string tlat_;
    std::string tlon_;
    std::string ifo_;
    bool ifoAlert_ = false;
    bool clearButton_ = false;
    std::optional<std::size_t> nearest_;
    std::string tip_;
    double hitRadius_ = 1.0;
    bool unfreezeClick_ = false;
    std::optional<ReferenceSite> reference_;
};

}  // namespace skyloom::display
