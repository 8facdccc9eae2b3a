#include "power/GeneratorFile.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

using namespace skyloom::power;
using skyloom::test::readFile;
using skyloom::test::testData;
using skyloom::test::writeFile;

namespace {

GeneratorRecord goldenGenerator() {
    GeneratorRecord g;
    g.id = 7;
    g.name = "  Test Mill 10 ";
    g.height = 100;
    g.cutInSpeed = 5.83;
    g.temperature = 155;
    g.pressure = 1013.25;
    g.costPerYear = 2500;
    g.maxToGrid = 0.5;
    g.cutOut = 48.6;
    g.points[0] = {7.78, 0.5};
    g.points[1] = {9.72, 1.4};
    g.points[2] = {11.66, 3.1};
    g.points[3] = {15.55, 7.25};
    g.points[4] = {19.44, 10.5};
    g.points[5] = {25.27, 12};
    g.maxKW = 12;
    g.orgData = -1;
    return g;
}

const std::string kHeaderName = "Generator Name (please no / ? < > \\ : * | double quote) = ";

}  // namespace

TEST(GeneratorFile, exportWritesTheGoldenBytesWithCrLf) {
    EXPECT_EQ(generatorFileText(goldenGenerator()), readFile(testData("generators/golden-export.txt")));
}

TEST(GeneratorFile, writtenFileReadsBackEqualExceptNameMaxKWAndOrgData) {
    skyloom::test::TempFolder dir;
    const GeneratorRecord g = goldenGenerator();
    ASSERT_TRUE(writeGeneratorFile(dir / "Test Mill 10.txt", g));
    GeneratorRecord back = readGeneratorFile(dir / "Test Mill 10.txt");
    EXPECT_EQ(back.name, "Test Mill 10");
    EXPECT_EQ(back.maxKW, 0);
    EXPECT_EQ(back.orgData, 0);
    back.id = g.id;
    back.name = g.name;
    back.orgData = g.orgData;
    back.recomputeMaxKW();
    EXPECT_EQ(back, g);
}

TEST(GeneratorFile, roundTripKeepsTenthsOfADegreeExactly) {
    for (double tenths : {153.0, -47.0, 1.0, 299.0, 0.0}) {
        GeneratorRecord g;
        g.temperature = tenths;
        EXPECT_EQ(parseGeneratorFile(generatorFileText(g)).temperature, tenths);
    }
}

TEST(GeneratorFile, labelsBeforeTheEqualSignDoNotMatter) {
    const std::string file =
        "Nom = Moulin\r\nHauteur = 120\r\nDemarrage = 6.5\r\nTemperature = 20\r\nPression = 1000\r\n"
        "Cout = 300\r\nReseau = 40\r\nCoupure = 50\r\n" + std::string(kGeneratorFileMarker) + "\r\n8 10\r\n";
    // A temperature line of 20 degrees is stored as 200 tenths.
    GeneratorRecord want{.name = "Moulin", .temperature = 200, .pressure = 1000, .cutInSpeed = 6.5, .height = 120,
                         .costPerYear = 300, .maxToGrid = 40, .cutOut = 50};
    want.points[0] = {8, 10};
    EXPECT_EQ(parseGeneratorFile(file), want);
}

TEST(GeneratorFile, shortHeaderStartsTheTableRightAfterTheMarker) {
    const std::string file = kHeaderName + "Short\r\nHub Height (feet agl) = 60\r\n" +
                             std::string(kGeneratorFileMarker) + "\r\n5 0.1\r\n10 2\r\n";
    GeneratorRecord want{.name = "Short", .height = 60};
    want.points[0] = {5, 0.1};
    want.points[1] = {10, 2};
    EXPECT_EQ(parseGeneratorFile(file), want);
}

TEST(GeneratorFile, editedMarkerInShortHeaderIsReadAsAValue) {
    // "the above lines" in other letters is not the marker: it becomes the cut-in value (0),
    // and the line after it the temperature.
    const std::string file = "N = S\r\nH = 60\r\nthe above lines were edited\r\n21\r\n";
    const auto g = parseGeneratorFile(file);
    EXPECT_EQ(g.cutInSpeed, 0);
    EXPECT_EQ(g.temperature, 210);
}

TEST(GeneratorFile, tableLineWithoutBlankLeavesItsPointAtZero) {
    std::string file = generatorFileText(goldenGenerator());
    GeneratorRecord want = parseGeneratorFile(file);
    const auto pos = file.find("9.72 1.4\r\n");
    ASSERT_NE(pos, std::string::npos);
    file.replace(pos, 10, "7\r\n");
    want.points[1] = {};
    EXPECT_EQ(parseGeneratorFile(file), want);
}

TEST(GeneratorFile, emptyBinaryAndNonNumericFilesReadAsZeros) {
    EXPECT_EQ(parseGeneratorFile(""), GeneratorRecord{});

    static const char raw[] = "\x00\xff\x01=\x80\n\x7f\x00\x00 = \xfe\r\n\x00\x00";
    const std::string binary(raw, sizeof raw - 1);
    const auto b = parseGeneratorFile(binary);
    EXPECT_EQ(b.height, 0);
    EXPECT_EQ(b.cutInSpeed, 0);
    for (const auto& p : b.points) EXPECT_EQ(p.speed, 0);

    const auto words = parseGeneratorFile("N = X\nH = tall\nC = fast\nT = warm\n" +
                                          std::string(kGeneratorFileMarker) + "\nquick strong\n12abc 4kW\n");
    GeneratorRecord want{.name = "X"};
    want.points[1] = {12, 4};
    EXPECT_EQ(words, want);
}

TEST(GeneratorFile, missingFileReadsAsZeros) {
    skyloom::test::TempFolder dir;
    EXPECT_EQ(readGeneratorFile(dir / "nothing.txt"), GeneratorRecord{});
}

TEST(GeneratorFile, splitSettingLineTakesTheFirstEqualSign) {
    auto s = splitSettingLine("  Pressure (mb) =  1013.25 = x ");
    EXPECT_EQ(s.label, "Pressure (mb)");
    EXPECT_EQ(s.value, "1013.25 = x");
    s = splitSettingLine("   no sign here  ");
    EXPECT_EQ(s.label, "");
    EXPECT_EQ(s.value, "no sign here");
    s = splitSettingLine("Name =");
    EXPECT_EQ(s.label, "Name");
    EXPECT_EQ(s.value, "");
}

TEST(GeneratorFile, lfOnlyFilesReadLikeCrLfFiles) {
    std::string crlf = generatorFileText(goldenGenerator());
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf += c;
    EXPECT_EQ(parseGeneratorFile(lf), parseGeneratorFile(crlf));
}
