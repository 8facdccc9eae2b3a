#include "display/GreatCircle.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace skyloom::display {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kKmPerRadian = kKmPerDegree * 180.0 / kPi;

// Distance for two points on the same side of the equator (one may lie on it),
// dLon already folded into 0..pi/2.
double sameSideDistance(double latA, double latB, double dLon) {
    const double a = std::fabs(latA);
    const double b = std::fabs(latB);
    const double c = std::cos(a) * std::cos(b) * std::cos(dLon) + std::sin(a) * std::sin(b);
    if (c >= 0.99999999999999) return 0.0;
    // Both points within a quarter turn of longitude on one hemisphere: c is never
    // negative, and c = 0 only for two equator points a quarter turn apart.
    if (c <= 0.0) return kPi / 2.0 * kKmPerRadian;
    return std::fabs(std::atan(std::sqrt(1.0 - c * c) / c)) * kKmPerRadian;
}

double distance(double lat1, double lon1, double lat2, double lon2) {
    if (lon1 > lon2) {
        std::swap(lon1, lon2);
        std::swap(lat1, lat2);
    }
    double dLon = lon2 - lon1;
    if (dLon > kPi) dLon = 2.0 * kPi - dLon;
    if (dLon > kPi / 2.0) return kTooFar;

    // Only the latitudes are put in order: the legs below use nothing but the
    // longitude difference, so which longitude went with which point no longer matters.
    if (lat1 > lat2) std::swap(lat1, lat2);
    if (lat1 >= 0.0 || lat2 <= 0.0) return sameSideDistance(lat1, lat2, dLon);

    const double crossing = std::fabs(lat1) / (lat2 - lat1) * dLon;
    return sameSideDistance(lat1, 0.0, crossing) + sameSideDistance(0.0, lat2, dLon - crossing);
}

}  // namespace

double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2) {
    return distance(static_cast<float>(lat1), static_cast<float>(lon1),
                    static_cast<float>(lat2), static_cast<float>(lon2));
}

}  // namespace skyloom::display
