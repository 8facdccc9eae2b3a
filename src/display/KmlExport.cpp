#include "display/KmlExport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/WholeFile.h"
#include "display/GreatCircle.h"
#include "display/SiteLine.h"

namespace skyloom::display {

namespace {

constexpr double kRadPerDeg = std::numbers::pi / 180.0;

// Coordinates are doubles (15 significant digits), the range a single (7).
std::string doubleText(double v) { return core::formatPlain(v, 15); }
std::string singleText(float v) { return core::formatPlain(v, 7); }

bool validUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0)
                extra = 1;
            else if ((c & 0xF0) == 0xE0)
                extra = 2;
            else if ((c & 0xF8) == 0xF0)
                extra = 3;
            else
                return false;
        }
        if (s.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

// Station names come from 8-bit text files: a name that is not UTF-8 is read as Latin-1.
std::string asUtf8(std::string_view s) {
    if (validUtf8(s)) return std::string(s);
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string xmlEscaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

void line(std::string& doc, std::string_view text) {
    doc += text;
    doc += "\r\n";
}

}  // namespace

KmlView kmlViewOf(const std::vector<SiteLine>& sites) {
    KmlView view;
    if (sites.empty()) return view;
    double minLat = sites.front().lat(), maxLat = minLat;
    double minLon = sites.front().lon(), maxLon = minLon;
    for (const SiteLine& s : sites) {
        minLat = std::min(minLat, s.lat());
        maxLat = std::max(maxLat, s.lat());
        minLon = std::min(minLon, s.lon());
        maxLon = std::max(maxLon, s.lon());
    }
    view.latitude = (minLat + maxLat) / 2.0;
    view.longitude = (minLon + maxLon) / 2.0;

    const double boxLat = std::fabs(minLat) < std::fabs(maxLat) ? minLat : maxLat;
    const double eastWest = GreatCircleDistance(boxLat * kRadPerDeg, minLon * kRadPerDeg, boxLat * kRadPerDeg,
                                                maxLon * kRadPerDeg);
    const double northSouth = GreatCircleDistance(minLat * kRadPerDeg, minLon * kRadPerDeg, maxLat * kRadPerDeg,
                                                  minLon * kRadPerDeg);
    const float range = static_cast<float>(std::max(eastWest, northSouth) * 1500.0);
    view.range = range < 5000.0F ? 5000.0F : range;
    return view;
}

std::string kmlDocument(const std::vector<SiteLine>& sites) {
    const KmlView view = kmlViewOf(sites);
    std::string doc;
    line(doc, R"(<?xml version="1.0" encoding="UTF-8"?>)");
    line(doc, R"(<kml xmlns="http://earth.google.com/kml/2.0">)");
    line(doc, "<!-- By Skyloom -->");
    line(doc, "<Document>");
    line(doc, "<name>Sites in White Circle</name>");
    line(doc, "  <open>1</open>");
    line(doc, "   <LookAt>");
    line(doc, "<longitude>" + doubleText(view.longitude) + "</longitude>");
    line(doc, "<latitude>" + doubleText(view.latitude) + "</latitude>");
    line(doc, "<range>" + singleText(view.range) + "</range>");
    line(doc, "<tilt>0</tilt>");
    line(doc, "<heading>0</heading>");
    line(doc, "   </LookAt>");
    line(doc, R"(   <Style id="skyloom">)");
    line(doc, "     <IconStyle>");
    line(doc, "        <Icon>");
    line(doc, "         <href>root://icons/palette-4.png</href>");
    line(doc, "         <y>128</y>");
    line(doc, "         <w>32</w>");
    line(doc, "         <h>32</h>");
    line(doc, "        </Icon>");
    line(doc, "     </IconStyle>");
    line(doc, "     <LabelStyle>");
    line(doc, "       <color>ffffffff</color>");
    line(doc, "        <scale>1</scale>");
    line(doc, "      </LabelStyle>");
    line(doc, "   </Style>");
    line(doc, "<Folder>");
    line(doc, "  <open>0</open>");
    line(doc, " <name>Names</name>");
    for (const SiteLine& s : sites) {
        line(doc, "<Placemark>");
        line(doc, "     <name>" + xmlEscaped(asUtf8(s.label())) + "</name>");
        line(doc, "   <styleUrl>#skyloom</styleUrl>");
        line(doc, "   <Point>");
        line(doc, "   <altitudeMode>clampedToGround</altitudeMode>");
        line(doc, "      <coordinates>" + doubleText(s.lon()) + ", " + doubleText(s.lat()) + ", 0 </coordinates>");
        line(doc, "   </Point>");
        line(doc, "</Placemark>");
    }
    line(doc, "</Folder>");
    line(doc, "</Document>");
    line(doc, "</kml>");
    return doc;
}

std::optional<std::filesystem::path> exportCircleToGoogleEarth(const std::vector<std::string>& nearList,
                                                               const std::filesystem::path& programDir,
                                                               core::Prompter& prompter) {
    if (nearList.empty()) {
        prompter.message("You must have at least 1 site inside the white circle");
        return std::nullopt;
    }
    std::size_t count = nearList.size();
    if (count > kKmlSiteLimit) {
        prompter.message("This feature is limited to 80 sites, the first 80 in the list will be shown");
        count = kKmlSiteLimit;
    }
    std::vector<SiteLine> sites;
    for (std::size_t i = 0; i < count; ++i)
        if (auto s = SiteLine::parse(nearList[i])) sites.push_back(std::move(*s));

    const std::filesystem::path file = programDir / std::string(kKmlFileName);
    if (!core::tryWriteFileWhole(file, kmlDocument(sites)).empty()) return std::nullopt;
    return file;
}

}  // namespace skyloom::display
