#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {
class Prompter;
}

namespace skyloom::display {

class SiteLine;

// The file the sites of the white circle are written to, in the program folder.
inline constexpr std::string_view kKmlFileName = "GElist0.kml";
inline constexpr std::size_t kKmlSiteLimit = 80;

// The camera of the document: the middle of the sites' box, and a range of 1500
// times the box's larger extent in km (east-west measured at the latitude nearer
// the equator), at least 5000.
struct KmlView {
    double longitude = 0.0;
    double latitude = 0.0;
    float range = 5000.0F;
};
KmlView kmlViewOf(const std::vector<SiteLine>& sites);

// The whole KML document for the given sites, lines ended by CR LF. Labels are
// XML-escaped; coordinates are written with up to 15 significant digits and the
// range with up to 7.
std::string kmlDocument(const std::vector<SiteLine>& sites);

// The button that shows the near list in Google Earth, up to opening the file:
// refuses an empty list, keeps the first 80 lines of a longer one (with its
// message), and replaces programDir/GElist0.kml. Returns the file written, or
// nullopt when nothing was written. Lines without a readable key are skipped.
std::optional<std::filesystem::path> exportCircleToGoogleEarth(const std::vector<std::string>& nearList,
                                                               const std::filesystem::path& programDir,
                                                               core::Prompter& prompter);

}  // namespace skyloom::display
