#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "display/GreatCircle.h"
#include "display/KmlExport.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"

using namespace skyloom::display;
using skyloom::test::ScriptedPrompter;
using skyloom::test::TempFolder;

// The golden files in tests/data hold the exact bytes of the document. To renew
// them on purpose after a deliberate change of the layout, run the test program
// once with SKYLOOM_RENEW_GOLDEN=1 and review the difference before committing.

namespace {

std::string line(std::string name, double lat, double lon, long wmo, double elevMetres = 10) {
    return nearListLine(Station{wmo, std::move(name), "99", "XX", "Country", "Region", lat, lon, elevMetres});
}

std::vector<std::string> oneSite() { return {line("EZEIZA AERO", -34.82, -58.53, 87576, 20)}; }

// 81 sites on a 9 x 9 grid over western Europe; some names need escaping.
std::vector<std::string> eightyOneSites() {
    std::vector<std::string> out;
    for (int i = 0; i < 81; ++i) {
        std::string name = "SITE " + std::to_string(i + 1);
        if (i % 20 == 3) name += " R&D <\"A'>";
        out.push_back(line(name, 40.0 + (i / 9) * 1.25, -5.0 + (i % 9) * 1.5, 10000 + i));
    }
    return out;
}

void expectGolden(const std::filesystem::path& written, const std::string& goldenName) {
    const std::string bytes = skyloom::test::readFile(written);
    const auto golden = skyloom::test::testData(goldenName);
    if (std::getenv("SKYLOOM_RENEW_GOLDEN")) skyloom::test::writeFile(golden, bytes);
    EXPECT_EQ(bytes, skyloom::test::readFile(golden)) << "differs from " << golden;
}

int countOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = fread(buf, 1, sizeof buf, f)) out.append(buf, n);
        pclose(f);
    }
    return out;
}

}  // namespace

TEST(KmlExport, oneSiteIsCentredOnItWithRange5000) {
    TempFolder dir;
    ScriptedPrompter p;
    const auto file = exportCircleToGoogleEarth(oneSite(), dir.path(), p);
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, dir / "GElist0.kml");
    EXPECT_TRUE(p.messages.empty());
    EXPECT_NE(skyloom::test::readFile(*file).find("<range>5000</range>"), std::string::npos);
    expectGolden(*file, "kml_one_site.kml");
}

TEST(KmlExport, eightyOneSitesAreCutTo80WithTheMessage) {
    TempFolder dir;
    ScriptedPrompter p;
    const auto file = exportCircleToGoogleEarth(eightyOneSites(), dir.path(), p);
    ASSERT_TRUE(file);
    EXPECT_EQ(p.messages,
              (std::vector<std::string>{"This feature is limited to 80 sites, the first 80 in the list will be shown"}));
    EXPECT_EQ(countOf(skyloom::test::readFile(*file), "<Placemark>"), 80);
    expectGolden(*file, "kml_80_sites.kml");
}

TEST(KmlExport, anEmptyCircleWritesNothing) {
    TempFolder dir;
    ScriptedPrompter p;
    EXPECT_FALSE(exportCircleToGoogleEarth({}, dir.path(), p));
    EXPECT_EQ(p.messages, (std::vector<std::string>{"You must have at least 1 site inside the white circle"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "GElist0.kml"));
}

TEST(KmlExport, anOldFileIsReplacedWhole) {
    TempFolder dir;
    skyloom::test::writeFile(dir / "GElist0.kml", std::string(100000, 'x'));
    ScriptedPrompter p;
    const auto file = exportCircleToGoogleEarth(oneSite(), dir.path(), p);
    ASSERT_TRUE(file);
    EXPECT_EQ(skyloom::test::readFile(*file), kmlDocument({*SiteLine::parse(oneSite()[0])}));
}

TEST(KmlExport, viewCentresOnTheBoxAndRangesOverItsLargerExtent) {
    // One degree of latitude apart: 111.195 km x 1500.
    const std::vector<SiteLine> ns = {*SiteLine::parse(line("A", 10, 20, 1)), *SiteLine::parse(line("B", 11, 20, 2))};
    const KmlView v = kmlViewOf(ns);
    EXPECT_DOUBLE_EQ(v.latitude, 10.5);
    EXPECT_DOUBLE_EQ(v.longitude, 20.0);
    EXPECT_NEAR(v.range, 166792.5F, 5.0F);
    // East-west is measured at the latitude nearer the equator: 60 N gives half
    // the extent of the equator, so 0 N to 60 N over 10 degrees of longitude
    // ranges over the longer of 10 degrees east-west at 0 N and 60 degrees north-south.
    const std::vector<SiteLine> box = {*SiteLine::parse(line("A", 0.5, 0, 1)), *SiteLine::parse(line("B", 60, 10, 2))};
    EXPECT_NEAR(kmlViewOf(box).range, 59.5F * 111.195F * 1500.0F, 100.0F);
    const std::vector<SiteLine> wide = {*SiteLine::parse(line("A", 59, 0, 1)), *SiteLine::parse(line("B", 60, 80, 2))};
    const KmlView w = kmlViewOf(wide);
    const double rad = std::numbers::pi / 180.0;
    EXPECT_FLOAT_EQ(w.range, static_cast<float>(GreatCircleDistance(59 * rad, 0, 59 * rad, 80 * rad) * 1500.0));
    EXPECT_GT(w.range, static_cast<float>(GreatCircleDistance(60 * rad, 0, 60 * rad, 80 * rad) * 1500.0) + 1e4F);
    EXPECT_DOUBLE_EQ(w.longitude, 40.0);
    EXPECT_DOUBLE_EQ(w.latitude, 59.5);
    // Farther apart than a quarter turn of longitude the extent is "too far".
    const std::vector<SiteLine> apart = {*SiteLine::parse(line("A", 0, -50, 1)), *SiteLine::parse(line("B", 0, 50, 2))};
    EXPECT_FLOAT_EQ(kmlViewOf(apart).range, static_cast<float>(kTooFar * 1500.0));
    // Too close together: at least 5000.
    const std::vector<SiteLine> close = {*SiteLine::parse(line("A", 10, 20, 1)),
                                         *SiteLine::parse(line("B", 10.01, 20, 2))};
    EXPECT_EQ(kmlViewOf(close).range, 5000.0F);
}

TEST(KmlExport, numbersAreWrittenAsPlainDecimalText) {
    const std::vector<SiteLine> sites = {*SiteLine::parse(line("A", 10, 20, 1)),
                                         *SiteLine::parse(line("B", 10.05, 20.01, 2))};
    const std::string doc = kmlDocument(sites);
    EXPECT_NE(doc.find("<longitude>20.005</longitude>"), std::string::npos);
    EXPECT_NE(doc.find("<latitude>10.025</latitude>"), std::string::npos);
    EXPECT_NE(doc.find("<coordinates>20.01, 10.05, 0 </coordinates>"), std::string::npos);
    EXPECT_NE(doc.find("<coordinates>20, 10, 0 </coordinates>"), std::string::npos);
    // The range is a single-precision figure: 7 significant digits.
    EXPECT_NE(doc.find("<range>8339.691</range>"), std::string::npos) << doc.substr(0, 400);
    const std::vector<SiteLine> far = {*SiteLine::parse(line("A", 0, -50, 1)), *SiteLine::parse(line("B", 0, 50, 2))};
    EXPECT_NE(kmlDocument(far).find("<range>150000000000</range>"), std::string::npos);
}

TEST(KmlExport, latin1NamesBecomeUtf8) {
    const std::vector<SiteLine> sites = {*SiteLine::parse(line("S\xC3O PAULO", -23.5, -46.6, 83779)),
                                         *SiteLine::parse(line("S\xC3\x83O PAULO", -23.5, -46.6, 83780))};
    const std::string doc = kmlDocument(sites);
    EXPECT_EQ(countOf(doc, "<name>S\xC3\x83O PAULO, Country Region</name>"), 2);
}

TEST(KmlExport, gdalReadsTheDocument) {
    if (std::system("command -v ogrinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ogrinfo (Debian package gdal-bin) is not installed: the KML is not checked by GDAL";
    TempFolder dir;
    ScriptedPrompter p;
    const auto file = exportCircleToGoogleEarth(eightyOneSites(), dir.path(), p);
    ASSERT_TRUE(file);
    const std::string out = run("ogrinfo -ro -al -so '" + file->string() + "' 2>&1");
    EXPECT_NE(out.find("Feature Count: 80"), std::string::npos) << out;
    const std::string all = run("ogrinfo -ro -al '" + file->string() + "' 2>&1");
    EXPECT_NE(all.find("SITE 4 R&D <\"A'>, Country Region"), std::string::npos) << all.substr(0, 2000);
    EXPECT_NE(out.find("Layer name: Names"), std::string::npos);
    EXPECT_NE(out.find("Extent: (-5.000000, 40.000000) - (7.000000, 50.000000)"), std::string::npos) << out;
    EXPECT_NE(all.find("POINT Z (-5 40 0)"), std::string::npos);
}
