#include "power/WindResource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/Dates.h"
#include "sounding/LevelStatistics.h"

using namespace skyloom;
using namespace skyloom::power;
using sounding::SoundingSet;

namespace {

constexpr double kScaleMs = 8.0;
constexpr double kShape = 2.0;
const sounding::Units kSI(sounding::UnitMode::SI);
const sounding::Units kKnots(sounding::UnitMode::Knots);
const sounding::Units kMph(sounding::UnitMode::Mph);

// Twice-daily soundings from 1 January of firstYear whose 1000-foot wind is drawn
// from Weibull(8 m/s, 2) (in the metric display unit); the other levels scale it
// by the 1/7 power law from the 33-foot ground report, directions mostly west.
SoundingSet weibullRecord(int firstYear, int years, unsigned seed = 20240611u) {
    SoundingSet set;
    std::mt19937 gen(seed);
    auto uniform = [&] { return (static_cast<double>(gen()) + 0.5) / 4294967296.0; };
    const core::HoursSince1930 start = core::hoursSince1930(core::makeDate(firstYear, 1, 1), 0);
    const core::HoursSince1930 end = core::hoursSince1930(core::makeDate(firstYear + years, 1, 1), 0);
    int n = 0;
    for (core::HoursSince1930 t = start; t < end; t += 12) {
        ++n;
        set.ensureCapacity(n);
        set.key[n] = n;
        set.time[n][0] = t;
        const double ms = kScaleMs * std::pow(-std::log(1 - uniform()), 1 / kShape);
        const double knots1000 = ms / kSI.speedFactor();
        const double direction = std::fmod(270 + 80 * (uniform() - 0.5) + 360, 360);
        for (int lv = 0; lv < sounding::kLevelCount; ++lv) {
            const double z = lv == 0 ? 33.0 : lv * 500.0;
            auto& q = set.level[n][lv];
            q[sounding::Speed] = static_cast<std::int32_t>(std::lround(knots1000 * std::pow(z / 1000.0, 1 / 7.0) * 10));
            q[sounding::Direction] = static_cast<std::int32_t>(std::lround(direction)) == 0 ? 360
                                                                                             : static_cast<std::int32_t>(std::lround(direction));
            q[sounding::Temperature] = 1500 - 2 * lv * 100;
            q[sounding::Pressure] = 101325 - lv * 1800;
        }
        set.topWindLevel[n] = 10;
    }
    set.setCount(n);
    sounding::computeTimeWeights(set);
    return set;
}

// A 500 kW generator: cut-in 6 knots, full power from 26 knots, cut-out 50.
PowerModel generator() {
    GeneratorRecord g;
    g.cutInSpeed = 6;
    g.points[0] = {10, 40};
    g.points[1] = {16, 180};
    g.points[2] = {22, 400};
    g.points[3] = {26, 500};
    g.cutOut = 50;
    g.maxKW = 500;
    return PowerModel::fromGenerator(g);
}

ResourceOptions at(double feet, sounding::Units units, bool withGenerator = true) {
    ResourceOptions o;
    o.heightFeet = feet;
    o.units = units;
    if (withGenerator) o.generator = generator();
    return o;
}

const SoundingSet& thirtyYears() {
    static const SoundingSet set = weibullRecord(1990, 30);
    return set;
}

}  // namespace

TEST(WindResource, thirtyYearWeibullRecordGivesBackItsScaleShapeAndExceedances) {
    const WindResource r = computeWindResource(thirtyYears(), at(1000, kSI));
    ASSERT_TRUE(r.computed) << r.message;
    ASSERT_TRUE(r.maximumLikelihood && r.energyFit);
    EXPECT_NEAR(r.maximumLikelihood->scale, kScaleMs, 0.03 * kScaleMs);
    EXPECT_NEAR(r.maximumLikelihood->shape, kShape, 0.03 * kShape);
    EXPECT_NEAR(r.energyFit->scale, kScaleMs, 0.03 * kScaleMs);
    EXPECT_NEAR(r.energyFit->shape, kShape, 0.03 * kShape);
    EXPECT_NEAR(*r.meanSpeed, kScaleMs * std::tgamma(1.5), 0.02 * kScaleMs);

    ASSERT_EQ(r.completeYears, 30);
    EXPECT_TRUE(r.leftOutYears.empty());
    ASSERT_EQ(r.years.size(), 30u);
    // The exceedance levels follow P = P50 x (1 - z x sigma / sqrt(N)) from the yearly energies.
    std::vector<double> e;
    for (const auto& y : r.years) e.push_back(*y.energy);
    double mean = 0, var = 0;
    for (double v : e) mean += v / e.size();
    for (double v : e) var += (v - mean) * (v - mean) / (e.size() - 1);
    const double sigma = std::sqrt(var) / mean;
    ASSERT_TRUE(r.p50 && r.p75 && r.p90);
    EXPECT_DOUBLE_EQ(r.p50->oneYear, mean);
    EXPECT_DOUBLE_EQ(r.p50->tenYear, mean);
    EXPECT_DOUBLE_EQ(r.p90->oneYear, mean * (1 - 1.282 * sigma));
    EXPECT_DOUBLE_EQ(r.p90->tenYear, mean * (1 - 1.282 * sigma / std::sqrt(10.0)));
    EXPECT_DOUBLE_EQ(r.p75->tenYear, mean * (1 - 0.674 * sigma / std::sqrt(10.0)));
    EXPECT_DOUBLE_EQ(*r.energyCoV, 100 * sigma);
    EXPECT_NE(r.exceedanceNote.find("normally distributed"), std::string::npos);
    // With 30 years the extreme, the class and the trend are there; the drawn record has no trend.
    ASSERT_TRUE(r.extreme50 && r.iecClass && r.speedTrend && r.speedTrend->standardError);
    EXPECT_GT(*r.extreme50, 2 * kScaleMs);
    EXPECT_LT(std::fabs(r.speedTrend->slope), 3 * *r.speedTrend->standardError);
    EXPECT_EQ(r.annualMaxima.size(), 30u);
}

TEST(WindResource, roseShearMonthsAndUnitsOfTheSyntheticRecord) {
    const WindResource knots = computeWindResource(thirtyYears(), at(1000, kKnots));
    const WindResource mph = computeWindResource(thirtyYears(), at(1000, kMph));
    // Westerlies from 230 to 310 degrees: 25/80 of them in the sectors 240 and 300, 30/80 in 270.
    double shares = 0;
    for (const auto& s : knots.rose) shares += s.share;
    EXPECT_NEAR(shares, 100, 1e-9);
    EXPECT_NEAR(knots.rose[8].share, 31.25, 1);
    EXPECT_NEAR(knots.rose[9].share, 37.5, 1);
    EXPECT_NEAR(knots.rose[10].share, 31.25, 1);
    EXPECT_EQ(knots.rose[0].soundings, 0);
    EXPECT_FALSE(knots.rose[0].meanSpeed);
    // The 1/7 law between every pair of levels and from the ground to the height.
    ASSERT_EQ(knots.shear.size(), 11u);
    for (const auto& p : knots.shear) EXPECT_NEAR(*p.alpha, 1 / 7.0, 0.01) << p.fromFeet << "-" << p.toFeet;
    EXPECT_TRUE(knots.shear.back().groundToHeight);
    EXPECT_EQ(knots.shear.back().fromFeet, kGroundReportFeet);
    EXPECT_TRUE(knots.shear.back().alphaByLaunch[0] && knots.shear.back().alphaByLaunch[1]);
    EXPECT_FALSE(knots.shear.back().alphaByLaunch[2]);   // no launches away from 00 and 12 UTC
    EXPECT_DOUBLE_EQ(knots.launchShare[0], 50);
    EXPECT_EQ(knots.monthlyByYear.size(), 30u);
    for (const auto& m : knots.monthly) EXPECT_NEAR(*m, *knots.meanSpeed, 0.05 * *knots.meanSpeed);

    // Another display unit changes the speeds by its factor and nothing else.
    const double f = kMph.speedFactor();
    EXPECT_NEAR(mph.maximumLikelihood->scale, knots.maximumLikelihood->scale * f, 1e-9);
    EXPECT_NEAR(mph.maximumLikelihood->shape, knots.maximumLikelihood->shape, 1e-9);
    EXPECT_NEAR(mph.energyFit->scale, knots.energyFit->scale * f, 1e-9);
    EXPECT_NEAR(*mph.extreme50, *knots.extreme50 * f, 1e-9);
    EXPECT_NEAR(*mph.rose[9].meanSpeed, *knots.rose[9].meanSpeed * f, 1e-9);
    EXPECT_NEAR(*mph.monthly[6], *knots.monthly[6] * f, 1e-9);
    EXPECT_NEAR(*mph.levelMeanSpeed[4], *knots.levelMeanSpeed[4] * f, 1e-9);
    EXPECT_NEAR(mph.speedTrend->slope, knots.speedTrend->slope * f, 1e-9);
    EXPECT_DOUBLE_EQ(*mph.powerDensity, *knots.powerDensity);
    EXPECT_DOUBLE_EQ(mph.p90->tenYear, knots.p90->tenYear);
    EXPECT_EQ(mph.iecClass, knots.iecClass);
    EXPECT_NEAR(*mph.shear[3].alpha, *knots.shear[3].alpha, 1e-12);
    // Bins are one display unit wide: the histogram of the shares adds up to the whole.
    double binned = 0, fitted = 0;
    for (const auto& b : mph.histogram) {
        EXPECT_EQ(b.to - b.from, 1);
        binned += b.share;
        fitted += b.maximumLikelihood;
    }
    EXPECT_NEAR(binned, 100, 1e-9);
    EXPECT_NEAR(fitted, 100 - mph.calmShare, 0.5);
    EXPECT_GT(mph.histogram.size(), knots.histogram.size());
}

TEST(WindResource, powerDensityFollowsTheSoundingsOwnAir) {
    // Every sounding: 10 m/s (19.4 knots) at 1000 feet, 0 degC and 900 mb.
    SoundingSet set;
    set.ensureCapacity(4);
    for (int n = 1; n <= 4; ++n) {
        set.key[n] = n;
        set.time[n][0] = 12 * n;
        set.topWindLevel[n] = 10;
        for (int lv = 0; lv < sounding::kLevelCount; ++lv) set.level[n][lv] = {0, 194, 90, 0, 90000};
    }
    set.setCount(4);
    sounding::computeTimeWeights(set);
    const WindResource r = computeWindResource(set, at(1000, kSI, false));
    const double rho = 90000.0 / (287.05 * 273.15);
    EXPECT_NEAR(*r.airDensity, rho, 1e-4);
    EXPECT_FALSE(r.densityFromStandardAtmosphere);
    const double ms = 19.4 * 0.514444;
    EXPECT_NEAR(*r.powerDensity, 0.5 * rho * ms * ms * ms, 0.5);
    // All soundings at one speed: no Weibull can be fitted, and the result says nothing false.
    EXPECT_FALSE(r.maximumLikelihood);
    EXPECT_FALSE(r.energyFit);
}

TEST(WindResource, shortRecordsSayWhyExtremesClassAndExceedancesAreMissing) {
    const SoundingSet three = weibullRecord(2001, 3);
    const WindResource r = computeWindResource(three, at(1000, kSI));
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.completeYears, 3);
    EXPECT_FALSE(r.extreme50);
    EXPECT_EQ(r.extremeNote, "No 50-year return speed: it needs at least 5 complete years, this period has 3.");
    EXPECT_FALSE(r.iecClass);
    EXPECT_EQ(r.iecNote, "No IEC 61400-1 class: it needs the 50-year return speed, which needs at least 5 complete "
                         "years; this period has 3.");
    EXPECT_TRUE(r.p90);

    // Half a year: not complete, left out, and no spread to give exceedances from.
    SoundingSet half = weibullRecord(2005, 1);
    half.setCount(300);
    sounding::computeTimeWeights(half);
    const WindResource h = computeWindResource(half, at(1000, kSI));
    ASSERT_EQ(h.years.size(), 1u);
    EXPECT_FALSE(h.years[0].complete);
    EXPECT_NEAR(h.years[0].coverage, 300 * 12 / 8760.0, 1e-3);
    EXPECT_EQ(h.leftOutYears, std::vector<int>{2005});
    EXPECT_FALSE(h.p50);
    EXPECT_EQ(h.exceedanceNote, "No P50, P75 or P90: they need at least 2 complete years, this period has 0.");
    EXPECT_FALSE(h.speedTrend);
    // A part-year's energy is still scaled to the whole year.
    EXPECT_GT(*h.years[0].energy, 0);
}

TEST(WindResource, heightsAboveTheTopWindAndIgnoredSoundingsTakeNoPart) {
    SoundingSet set = weibullRecord(2010, 1);
    for (int n = 1; n <= set.count(); ++n) set.topWindLevel[n] = n % 2 == 0 ? 1 : 3;
    set.key[5] = -5;   // ignored since loading
    const int all = set.count() - 1;
    EXPECT_EQ(computeWindResource(set, at(500, kKnots)).soundings, all);
    // 750 feet needs the 1000-foot level: only the soundings reaching level 3 have it.
    EXPECT_EQ(computeWindResource(set, at(750, kKnots)).soundings, all - set.count() / 2);
    const WindResource none = computeWindResource(set, at(4000, kKnots));
    EXPECT_FALSE(none.computed);
    EXPECT_EQ(none.message, "No sounding of this period has a wind at 4000 feet: there is no wind resource to show "
                            "at this height.");
    EXPECT_EQ(computeWindResource(set, at(4000, kSI)).message.find("No sounding of this period has a wind at 1219.1 meters"),
              0u);
    // Calms count in the calm share and the first bin, not in the fits or the rose.
    SoundingSet calm = weibullRecord(2010, 1);
    for (int n = 1; n <= 100; ++n) calm.level[n][2][sounding::Speed] = 0;
    const WindResource c = computeWindResource(calm, at(1000, kKnots));
    EXPECT_NEAR(c.calmShare, 100.0 * 100 * 12 / (c.hours), 0.2);
    double roseSoundings = 0;
    for (const auto& s : c.rose) roseSoundings += s.soundings;
    EXPECT_EQ(roseSoundings, calm.count() - 100);
    EXPECT_GE(c.histogram[0].share, c.calmShare);
    // but they do in the means: the first 50 days are calm, so January's mean is 0.
    ASSERT_TRUE(c.monthly[0]);
    EXPECT_EQ(*c.monthly[0], 0.0);
    EXPECT_LT(*c.monthly[1], 0.7 * *c.monthly[2]);
}

TEST(WindResource, gumbelClassAndExceedanceFormulas) {
    // Maxima 30, 32, 34, 36, 38: mean 34, deviation sqrt(10).
    const double beta = std::sqrt(10.0) * std::sqrt(6.0) / M_PI;
    const double expected = 34 - 0.5772156649015329 * beta - beta * std::log(-std::log(1 - 1 / 50.0));
    EXPECT_NEAR(gumbelReturnLevel({30, 32, 34, 36, 38}, 50), expected, 1e-12);
    EXPECT_EQ(iecClassFor(37.5, 7.5), "III");
    EXPECT_EQ(iecClassFor(37.6, 7.0), "II");
    EXPECT_EQ(iecClassFor(30, 8.6), "I");
    EXPECT_EQ(iecClassFor(50, 10), "I");
    EXPECT_EQ(iecClassFor(50.1, 6), "S");
    EXPECT_DOUBLE_EQ(exceedanceLevel(1000, 0.1, 1.282, 1), 871.8);
}
