#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/Dates.h"

namespace skyloom::sounding {

// One reported level of a raw sounding, in physical units. A quantity that the
// source left missing (or that a reader found unreadable) is empty.
struct RawPoint {
    std::optional<double> heightM;        // metres above sea level
    std::optional<double> pressureMb;     // millibars
    std::optional<double> temperatureC;   // degrees Celsius
    std::optional<double> directionDeg;   // degrees, as reported
    std::optional<double> speedKnots;     // knots
};

// A sounding as read from any source format, before level building.
struct ParsedSounding {
    std::optional<core::Days> date;       // empty when the header could not be read
    int hour = 0;
    long wmo = 0;                         // 0 when the station line was missing or unreadable
    double lat = 0;                       // signed: south and west negative
    double lon = 0;
    std::optional<double> elevationM;
    // Fields kept as read from the source ("as read" columns of the station data file).
    std::string wban, rtime, staid, sonde, hydro, mxwd, tropl, tindex, source;
    std::vector<RawPoint> points;
    std::string rawText;                  // the sounding's lines joined with CR LF
    std::string readProblem;              // non-empty: the reader could not make a sounding of it

    // Empties it for the next sounding, keeping its buffers.
    void clear() {
        date.reset();
        hour = 0;
        wmo = 0;
        lat = lon = 0;
        elevationM.reset();
        for (std::string* f : {&wban, &rtime, &staid, &sonde, &hydro, &mxwd, &tropl, &tindex, &source, &rawText,
                               &readProblem})
            f->clear();
        points.clear();
    }
};

// Review criteria of the import control frame, in their units (feet AGL, knots).
struct ReviewCriteria {
    double lalt = 250;     // first wind below this: accepted, ground extrapolated
    double malt = 500;     // first wind above this: whole sounding deleted
    double difGnd = 30;    // largest 0-500 ft speed difference before review
    double dif500 = 20;    // largest 500 ft step speed difference before review
    std::string maltText = "500";  // Malt as typed, for the finding text
};

constexpr int kImportLevels = 11;

// One level of a stored sounding in the station data file's units: speed in
// tenths of a knot, direction in degrees, temperature in hundredths of a degree
// Celsius, pressure in hundredths of a millibar.
struct LevelValues {
    std::int32_t speed = 0;
    std::int32_t direction = 0;
    std::int32_t temperature = 0;
    std::int32_t pressure = 0;
};

// Every value of one `soundings` row (the row key is given by the database).
struct SoundingRecord {
    long stationwmo = 0;
    core::Days date{};
    int hour = 0;
    core::HoursSince1930 hrs = 0;
    std::array<LevelValues, kImportLevels> levels{};
    int badTemperatureData = 0;
    int badPressureData = 0;
    std::string bands = "000000000000";
    long numpoints = 0;
    std::string wban, rtime, staid, sonde, hydro, mxwd, tropl, tindex, source;
    double lat = 0, lon = 0, elev = 0;
};

// What the reason of a sounding the reviewer deleted ends with.
inline constexpr const char* kUserReviewedAndDeleted = " User reviewed and deleted it.";

// Thrown by a ReviewDecider when no one can decide (no terminal, input at its
// end): the import stops before that sounding, keeping what it stored before it,
// and reports the text in ImportResult::undecided. A decision nobody made is
// never stored as the user's.
struct ReviewUndecided : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Decides on a sounding that needs human review: true stores it as accepted,
// false stores it as rejected with rejectionNote() added to its reason.
class ReviewDecider {
public:
    virtual ~ReviewDecider() = default;
    virtual bool accept(const SoundingRecord& record, std::string_view rawText,
                        std::string_view reason) = 0;
    // What a rejection adds to the reason: a person's decision by default.
    virtual std::string_view rejectionNote() const { return kUserReviewedAndDeleted; }
};

// Answers every review the same way (batch imports, --review=accept|reject). Its
// rejections are not a person's review and say so.
class FixedReviewDecider final : public ReviewDecider {
public:
    explicit FixedReviewDecider(bool acceptAll) : accept_(acceptAll) {}
    bool accept(const SoundingRecord&, std::string_view, std::string_view) override { return accept_; }
    std::string_view rejectionNote() const override {
        return " Deleted without review (every sounding that needed review was rejected).";
    }
private:
    bool accept_;
};

}  // namespace skyloom::sounding
