// The wind resource of real soundings against a computation of our own from the
// stored level values: plain loops over the station data file's rows.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <vector>

#include <SQLiteCpp/Statement.h>

#include "StartedFolder.h"
#include "core/DatabaseFile.h"
#include "core/Dates.h"
#include "session/PowerPage.h"
#include "session/WindResourceRun.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {

struct Row {
    int hrs = 0;
    std::array<int, 11> speed{}, direction{};
    int top = 0;
    double weight = 0;
};

// Every sounding of the station data file, with its top wind level and the hours it stands for.
std::vector<Row> storedRows(const std::string& path) {
    auto db = core::openGuardedDatabase(path, false);
    std::string sql = "SELECT hrs, gndspd, GNDDir";
    for (int ft = 500; ft <= 5000; ft += 500) sql += ", [" + std::to_string(ft) + "spd], [" + std::to_string(ft) + "Dir]";
    SQLite::Statement q(db, sql + " FROM soundings ORDER BY hrs");
    std::vector<Row> rows;
    while (q.executeStep()) {
        Row r;
        r.hrs = q.getColumn(0).getInt();
        for (int l = 0; l < 11; ++l) {
            r.speed[l] = q.getColumn(1 + 2 * l).getInt();
            r.direction[l] = q.getColumn(2 + 2 * l).getInt();
            if (l > 0 && r.speed[l] != 0 && r.direction[l] != 0) r.top = l;
        }
        rows.push_back(r);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto side = [](int d) { return d < 12 ? d / 2.0 : 6.0; };
        const double before = i == 0 ? 6 : side(rows[i].hrs - rows[i - 1].hrs);
        const double after = i + 1 == rows.size() ? 6 : side(rows[i + 1].hrs - rows[i].hrs);
        rows[i].weight = before + after;
    }
    return rows;
}

// Maximum-likelihood Weibull by halving the interval of the shape.
std::pair<double, double> weibullByHalving(const std::vector<double>& v, const std::vector<double>& w) {
    double sw = 0, slog = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        sw += w[i];
        slog += w[i] * std::log(v[i]);
    }
    auto g = [&](double k) {
        double a = 0, b = 0;
        for (std::size_t i = 0; i < v.size(); ++i) {
            a += w[i] * std::pow(v[i], k) * std::log(v[i]);
            b += w[i] * std::pow(v[i], k);
        }
        return a / b - 1 / k - slog / sw;
    };
    double lo = 0.1, hi = 20;
    for (int i = 0; i < 100; ++i) (g((lo + hi) / 2) < 0 ? lo : hi) = (lo + hi) / 2;
    const double k = (lo + hi) / 2;
    double b = 0;
    for (std::size_t i = 0; i < v.size(); ++i) b += w[i] * std::pow(v[i], k);
    return {std::pow(b / sw, 1 / k), k};
}

struct Sample {
    long wmo;
    const char* file;
    const char* name;
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

class WindResourceOnSamples : public ::testing::TestWithParam<Sample> {};

}  // namespace

TEST_P(WindResourceOnSamples, agreesWithPlainLoopsOverTheStoredLevels) {
    const Sample sample = GetParam();
    test::StartedFolder f;
    core::SilentPrompter quiet;
    sounding::ImportOptions options;
    options.mainDb = &f.s->mainDb();
    sounding::importFile(f.tmp.dir(), test::sample(sample.file).string(), options, quiet, sample.wmo);
    f.s->reloadStationIndex();

    session::PowerPage page(*f.s);
    page.saveAfterEachRun = false;
    page.site().setSiteString(page.site().siteEntryText(sample.wmo));
    ASSERT_EQ(page.site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    const auto run = session::windResourceOf(page, 1000, sounding::Units(sounding::UnitMode::Knots));
    const power::WindResource& r = run.resource;
    ASSERT_TRUE(r.computed) << r.message;

    const std::vector<Row> rows = storedRows(f.tmp.dir() + "data/" + std::to_string(sample.wmo) + ".dat");
    ASSERT_GT(rows.size(), 250u);
    // 1000 feet is level 2: soundings whose top wind reaches it.
    std::vector<double> v, w;
    std::array<double, 12> sectorTime{}, monthSum{}, monthTime{};
    double windTime = 0, below = 0, above = 0, pairTime = 0;
    int withWind = 0;
    for (const Row& row : rows) {
        if (row.top < 2) continue;
        ++withWind;
        const double knots = row.speed[2] / 10.0;
        const int month = core::monthOf(core::dateOfHours(row.hrs)) - 1;
        monthSum[month] += row.weight * knots;
        monthTime[month] += row.weight;
        if (knots <= 0) continue;
        v.push_back(knots);
        w.push_back(row.weight);
        sectorTime[static_cast<int>((row.direction[2] + 15) % 360 / 30)] += row.weight;
        windTime += row.weight;
        if (row.speed[1] > 0) {
            below += row.weight * row.speed[1] / 10.0;
            above += row.weight * knots;
            pairTime += row.weight;
        }
    }
    EXPECT_EQ(r.soundings, withWind);
    const auto [scale, shape] = weibullByHalving(v, w);
    ASSERT_TRUE(r.maximumLikelihood);
    EXPECT_NEAR(r.maximumLikelihood->scale, scale, 0.01 * scale);
    EXPECT_NEAR(r.maximumLikelihood->shape, shape, 0.01 * shape);
    for (int s = 0; s < 12; ++s) EXPECT_NEAR(r.rose[s].share, 100 * sectorTime[s] / windTime, 0.5) << "sector " << s;
    const double alpha = std::log(above / below) / std::log(1000.0 / 500.0);
    ASSERT_EQ(r.shear[1].fromFeet, 500);
    ASSERT_EQ(r.shear[1].toFeet, 1000);
    EXPECT_NEAR(*r.shear[1].alpha, alpha, 0.01 * std::fabs(alpha));
    for (int m = 0; m < 12; ++m) {
        if (monthTime[m] == 0) {
            EXPECT_FALSE(r.monthly[m]) << "month " << m;
            continue;
        }
        ASSERT_TRUE(r.monthly[m]) << "month " << m;
        EXPECT_NEAR(*r.monthly[m], monthSum[m] / monthTime[m], 0.01 * monthSum[m] / monthTime[m]) << "month " << m;
    }
    // A year of data: no extreme and no class, each saying why.
    EXPECT_FALSE(r.extreme50);
    EXPECT_NE(r.extremeNote.find("needs at least 5 complete years"), std::string::npos);
    EXPECT_FALSE(r.iecClass);
    EXPECT_GT(*r.airDensity, 1.0);
    EXPECT_LT(*r.airDensity, 1.35);
}

INSTANTIATE_TEST_SUITE_P(RealSoundings, WindResourceOnSamples,
                         ::testing::Values(Sample{72518, "fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", "Albany1990"},
                                           Sample{87576, "fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", "Ezeiza2019"}),
                         [](const auto& info) { return std::string(info.param.name); });
