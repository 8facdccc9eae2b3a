#include "display/MapModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include <fmt/format.h>

#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/StationIndex.h"
#include "core/Text.h"
#include "core/TypedNumber.h"
#include "display/GreatCircle.h"
#include "display/SiteLine.h"

namespace skyloom::display {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;
constexpr double kFeetPerMetre = 3.281;

// Kilometres to miles the way the lists count them.
double kmToMiles(double km) { return km * 3281.0 / 5280.0; }

std::string tipFor(const std::string& label) {
    return "Left Click to show data for " + label + " and to make it the Current Reference Site.\n" +
           "Right click to show its data compared to the Current Reference Site.";
}

// A typed coordinate: nullopt when the user ends the dialogue (cancel or 0).
std::optional<double> askCoordinate(core::Prompter& p, std::string_view prompt, std::string_view deflt,
                                    double low, double high) {
    for (;;) {
        const auto answer = p.input(prompt, deflt);
        if (!answer) return std::nullopt;
        // Letters are no coordinate (they used to read as 0, which ends the question).
        const std::optional<double> typed = core::typedNumber(*answer);
        if (!typed) {
            p.message(core::expectedNumberText({low, high, "degrees"}));
            continue;
        }
        const double v = *typed;
        if (v == 0.0) return std::nullopt;
        if (v >= low && v <= high) return v;
        p.message("Please enter data in the correct range.");
    }
}

// How a typed number is written back in a label: shortest form, no trailing zeros.
std::string plainNumber(double v) { return core::formatPlain(v); }

}  // namespace

Station mapStation(const core::StationEntry& entry, const core::CountryEntry* country) {
    Station s;
    s.wmo = entry.wmo;
    s.name = entry.name;
    s.areaCode = entry.province;
    s.countryCode = entry.country;
    if (country) {
        s.countryName = country->name;
        s.region = country->region;
    }
    s.lat = entry.lat;
    s.lon = entry.lon;
    s.elevMetres = entry.elev;
    return s;
}

std::vector<Station> mapStations(const core::StationIndex& index) {
    std::vector<Station> out;
    out.reserve(index.stations().size());
    for (const core::StationEntry& e : index.stations()) out.push_back(mapStation(e, index.country(e.country)));
    return out;
}

MapPoint toMap(double latDeg, double lonDeg) { return {lonDeg + 180.0, 88.0 - latDeg}; }
double latitudeAt(double mapY) { return 88.0 - mapY; }
double longitudeAt(double mapX) { return mapX - 180.0; }

MapRect markerAt(double latDeg, double lonDeg, double width, double height) {
    return {lonDeg + 180.0 - width / 2.0, 88.0 - latDeg - height / 2.0, width, height};
}

double dataDotRadius(double dotSizeSetting) { return dotSizeSetting / 100.0 * 0.5; }

std::string_view orderButtonCaption(bool orderPage) { return orderPage ? "See Analysis" : "Order Data"; }

std::string pageCaption(bool orderPage, double version) {
    return std::string(orderPage ? "  Order Data Page of Skyloom - Wind Data Display Program V"
                                 : "  Analysis Page of Skyloom - Wind Data Display Program V") +
           core::formatNumber(version, "#.0");
}

std::string nearListLine(const Station& s) {
    std::string visible = s.name;
    const std::string area = core::trim(s.areaCode);
    // "99" means no area; station lists also write "--" for a station without a state.
    if (!area.empty() && area != "99" && area != "--") visible += ", " + area;
    visible += ", " + s.countryName + " " + s.region;
    visible += " =>" + core::formatNumber(s.elevMetres * kFeetPerMetre, "#0") + " feet above sea level.";
    return SiteLine::compose(visible, s.lat, s.lon, s.wmo);
}

void SiteCircle::sizeTo(double x, double y) {
    const double r = std::sqrt((x - x0) * (x - x0) + (y - y0) * (y - y0));
    if (r <= kMinRadius)
        width = kDefaultWidth;
    else if (r <= kMaxRadius)
        width = 2.0 * r;
}

std::string nlabelText(std::size_t count, double diameterMiles) {
    return fmt::format("{}", count) + " Sites in " + core::formatNumber(diameterMiles, "#0") +
           " mile diameter white circle";
}

MapModel::MapModel(std::vector<Station> stations) : ifo_(kIfoFirstText) { setStations(std::move(stations)); }

void MapModel::setStations(std::vector<Station> stations) {
    stations_ = std::move(stations);
    lines_.clear();
    latRad_.clear();
    lonRad_.clear();
    lines_.reserve(stations_.size());
    latRad_.reserve(stations_.size());
    lonRad_.reserve(stations_.size());
    for (const Station& s : stations_) {
        lines_.push_back(nearListLine(s));
        latRad_.push_back(s.lat * kRadPerDeg);
        lonRad_.push_back(s.lon * kRadPerDeg);
    }
    nearest_.reset();
    tip_.clear();
    near_.clear();
}

void MapModel::pointerMove(double x, double y, MouseButton held) {
    circle_.visible = true;
    if (circle_.frozen && held == MouseButton::None) return;

    const double lat = latitudeAt(y);
    const double lon = longitudeAt(x);
    showCoordinates(lat, lon);

    if (held == MouseButton::None) {
        circle_.x0 = x;
        circle_.y0 = y;
    } else {
        circle_.sizeTo(x, y);
        updateNlabel();
    }

    // One pass finds the white dot's station and the stations of the follow list.
    // The list is the circle's own: around its centre and within its radius, so
    // that the caption's count and size always describe the one circle drawn.
    const double pLat = lat * kRadPerDeg;
    const double pLon = lon * kRadPerDeg;
    const double cLat = latitudeAt(circle_.y0) * kRadPerDeg;
    const double cLon = longitudeAt(circle_.x0) * kRadPerDeg;
    const bool centred = circle_.x0 == x && circle_.y0 == y;
    const double radius = circle_.radiusKm();
    double best = 0.0;
    nearest_.reset();
    near_.clear();
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        const double d = GreatCircleDistance(pLat, pLon, latRad_[i], lonRad_[i]);
        if (!nearest_ || d < best) {
            nearest_ = i;
            best = d;
        }
        const double fromCentre = centred ? d : GreatCircleDistance(cLat, cLon, latRad_[i], lonRad_[i]);
        if (fromCentre < radius) near_.push_back(lines_[i]);
    }
    tip_ = nearest_ ? tipFor(SiteLine::parse(lines_[*nearest_])->displayName()) : std::string();
    updateNlabel();
}

MapAction MapModel::buttonDown(double x, double y, MouseButton button) {
    unfreezeClick_ = false;
    if (pointerOnTip(x, y)) {
        const auto line = SiteLine::parse(lines_[*nearest_]);
        MapAction action;
        action.wmo = line->wmo();
        action.line = line->text();
        if (button == MouseButton::Right) {
            action.kind = MapAction::Kind::CompareWithReference;
        } else {
            setReferenceSite(*line);
            action.kind = MapAction::Kind::Select;
        }
        return action;
    }
    // A right click on a frozen circle unfreezes it, as the frozen message promises;
    // the release that follows then leaves it free.
    if (button == MouseButton::Right && circle_.frozen) {
        unfreeze();
        unfreezeClick_ = true;
    }
    circle_.width = SiteCircle::kDefaultWidth;
    circle_.x0 = x;
    circle_.y0 = y;
    circle_.visible = true;
    updateNlabel();
    return {};
}

void MapModel::buttonUp(double x, double y, MouseButton button) {
    (void)button;
    if (unfreezeClick_) {
        unfreezeClick_ = false;
        return;
    }
    if (pointerOnTip(x, y)) return;
    freeze();
    listWithinCircle();
}

void MapModel::clearLeftList() {
    unfreeze();
    circle_.visible = false;
    near_.clear();
    nlabel_.clear();
}

void MapModel::centreOn(const SiteLine& line) {
    const MapPoint p = toMap(line.lat(), line.lon());
    circle_.x0 = p.x;
    circle_.y0 = p.y;
    circle_.width = SiteCircle::kDefaultWidth;
    circle_.visible = true;
    updateNlabel();
}

bool MapModel::findNearest(core::Prompter& prompter, std::size_t count) {
    const std::string latDefault = circle_.frozen ? core::formatNumber(circle_.centreLat(), "0.00") : "0.0";
    const auto lat = askCoordinate(prompter, "What Latitude do you want to freeze the Cursor at? (-60 to 90 and not 0)",
                                   latDefault, -60.0, 90.0);
    if (!lat) return false;
    const std::string lonDefault = circle_.frozen ? core::formatNumber(circle_.centreLon(), "0.00") : "0.0";
    const auto lon = askCoordinate(prompter,
                                   "What Longitude do you want to freeze the Cursor at? (-180 to 180 and not 0)",
                                   lonDefault, -180.0, 180.0);
    if (!lon) return false;

    // Each candidate carries its distance as a "00000 miles " prefix; ordering
    // the prefixed lines puts the nearest first (equal miles by line text).
    struct Candidate {
        std::string sortText;
        std::size_t station;
        double miles;
    };
    std::vector<Candidate> found;
    const double pLat = *lat * kRadPerDeg;
    const double pLon = *lon * kRadPerDeg;
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        const double km = GreatCircleDistance(pLat, pLon, latRad_[i], lonRad_[i]);
        if (km == kTooFar) continue;
        const double miles = kmToMiles(km);
        found.push_back({core::formatNumber(miles, "00000") + " miles " + lines_[i], i, miles});
    }
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return a.sortText < b.sortText; });
    if (found.size() > count) found.resize(count);

    near_.clear();
    for (const Candidate& c : found) near_.push_back(lines_[c.station]);
    const MapPoint centre = toMap(*lat, *lon);
    circle_.x0 = centre.x;
    circle_.y0 = centre.y;
    if (!found.empty()) circle_.width = 2.0 * found.back().miles * 8.0 / 5.0 / 111.0;
    circle_.visible = true;
    freeze();
    nlabel_ = "Nearest " + fmt::format("{}", found.size()) + " Sites to coordinates " + plainNumber(*lat) + ", " +
              plainNumber(*lon);
    return true;
}

void MapModel::setReferenceSite(const SiteLine& line) {
    reference_ = ReferenceSite{line.wmo(), line.lat(), line.lon(), " Reference Site is: " + line.displayName()};
}

bool MapModel::pointerOnTip(double x, double y) const {
    if (!nearest_) return false;
    const MapPoint p = toMap(stations_[*nearest_].lat, stations_[*nearest_].lon);
    return (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) <= hitRadius_ * hitRadius_;
}

std::optional<std::size_t> MapModel::nearestTo(double latDeg, double lonDeg) const {
    std::optional<std::size_t> best;
    double bestKm = 0.0;
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        const double d = GreatCircleDistance(latDeg * kRadPerDeg, lonDeg * kRadPerDeg, latRad_[i], lonRad_[i]);
        if (!best || d < bestKm) {
            best = i;
            bestKm = d;
        }
    }
    return best;
}

std::vector<std::size_t> MapModel::within(double latDeg, double lonDeg, double km) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < stations_.size(); ++i)
        if (GreatCircleDistance(latDeg * kRadPerDeg, lonDeg * kRadPerDeg, latRad_[i], lonRad_[i]) <= km)
            out.push_back(i);
    return out;
}

void MapModel::freeze() {
    circle_.frozen = true;
    ifo_ = kIfoFrozenText;
    ifoAlert_ = true;
    clearButton_ = true;
    showCoordinates(circle_.centreLat(), circle_.centreLon());
}

void MapModel::unfreeze() {
    circle_.frozen = false;
    ifo_ = kIfoFirstText;
    ifoAlert_ = false;
    clearButton_ = false;
}

void MapModel::listWithinCircle() {
    near_.clear();
    for (std::size_t i : within(circle_.centreLat(), circle_.centreLon(), circle_.radiusKm()))
        near_.push_back(lines_[i]);
    updateNlabel();
}

void MapModel::updateNlabel() { nlabel_ = nlabelText(near_.size(), circle_.diameterMiles()); }

void MapModel::showCoordinates(double latDeg, double lonDeg) {
    tlat_ = core::formatNumber(latDeg, "0.00");
    tlon_ = core::formatNumber(lonDeg, "0.00");
}

}  // namespace skyloom::display
