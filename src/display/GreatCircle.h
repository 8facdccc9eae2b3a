#pragma once

namespace skyloom::display {

// Returned for two points more than 90 degrees of longitude apart: too far to matter
// for a site list, and cheap to reject on every pointer move.
inline constexpr double kTooFar = 99999999.0;

// Kilometres per degree of arc along the great circle.
inline constexpr double kKmPerDegree = 111.195;

// Great-circle distance in kilometres between two points given in radians
// (degrees x pi / 180), north and east positive.
//
// The inputs are taken at single precision (each is rounded to float on entry,
// the arithmetic is then done in double), as the site lists have always measured:
// the result depends only on the float value, so a station at the edge of a
// circle falls on the same side whichever caller asks. The rounding moves a
// point by at most about a metre.
//
// Points on opposite sides of the equator are measured as two legs that meet
// where the straight latitude-longitude line between them crosses the equator.
// The result is symmetric in its two points.
double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2);

}  // namespace skyloom::display
