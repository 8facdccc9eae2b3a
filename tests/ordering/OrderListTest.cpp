#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"
#include "ordering/OrderList.h"

using namespace skyloom::ordering;
using skyloom::display::SiteLine;
using skyloom::test::ScriptedPrompter;
using skyloom::test::TempFolder;

namespace {

std::string nearLine(long wmo, std::string name, double lat, double lon, double elev = 86) {
    return skyloom::display::nearListLine(
        {wmo, std::move(name), "99", "US", "United States", "North America", lat, lon, elev});
}

std::vector<InventoryRow> years(int from, int to, bool withTotal = true) {
    std::vector<InventoryRow> rows;
    for (int y = from; y <= to; ++y) rows.push_back({std::to_string(y), false});
    if (withTotal) rows.push_back({"Total", false});
    return rows;
}

void select(std::vector<InventoryRow>& rows, int from, int to) {
    for (auto& r : rows)
        if (r.year != "Total" && std::stoi(r.year) >= from && std::stoi(r.year) <= to) r.selected = true;
}

std::string albany() { return toOrderLine(nearLine(72518, "ALBANY", 42.75, -73.8)); }

}  // namespace

TEST(OrderList, anOrderLineBlanksTheElevationAndCutsADistancePrefix) {
    const std::string near = nearLine(72518, "ALBANY", 42.75, -73.8);
    const std::string order = toOrderLine(near);
    EXPECT_EQ(order.size(), near.size());
    EXPECT_EQ(order.substr(0, 42), "ALBANY, United States North America =>    ");
    EXPECT_EQ(yearsField(order), std::string(60, ' '));
    EXPECT_EQ(order.substr(200), "42.75, -73.80#72518");
    EXPECT_EQ(lineWmo(order), 72518);

    EXPECT_EQ(toOrderLine("00012 miles to " + near), order);
    // Only a distance counts as a prefix.
    const std::string odd = nearLine(1, "TEN miles to GO", 1, 1);
    EXPECT_EQ(toOrderLine(odd).substr(0, 17), "TEN miles to GO, ");
}

TEST(OrderList, theYearsFieldIs60CharactersAfterTheMarker) {
    const std::string order = albany();
    const std::string withYears = withYearsText(order, " 15 yrs 94-08");
    EXPECT_EQ(withYears.size(), order.size());
    EXPECT_EQ(yearsField(withYears), " 15 yrs 94-08" + std::string(47, ' '));
    EXPECT_EQ(SiteLine::parse(withYears)->keyText(), "42.75, -73.80#72518");
    EXPECT_TRUE(yearsTextIncludes0708(withYears));
    EXPECT_FALSE(yearsTextIncludes0708(withYearsText(withYears, " 2 yrs 94-95")));
    EXPECT_EQ(yearsField(withYearsText(withYears, " 2 yrs 94-95")), " 2 yrs 94-95" + std::string(48, ' '));
    EXPECT_FALSE(yearsTextIncludes0708(order));
}

TEST(OrderList, threeLinesSavedAndLoadedKeepTheirOrderAndWmo) {
    TempFolder dir;
    const std::vector<std::string> lines = {
        withYearsText(albany(), " 13 yrs 94-06"),
        toOrderLine(nearLine(87576, "EZEIZA AERO", -34.82, -58.53)),
        withYearsText(toOrderLine(nearLine(74494, "CHATHAM", 41.67, -69.97)), " 1 yrs 90"),
    };
    saveOrderList(dir.path(), lines);
    EXPECT_EQ(std::filesystem::file_size(dir / "OrderList.bin"), 3u * 208u);
    const auto loaded = loadOrderList(dir.path());
    ASSERT_EQ(loaded.size(), 3u);
    // Lines of 219 characters come back whole, not only their last 200.
    EXPECT_EQ(loaded, lines);
    EXPECT_EQ(lineWmo(loaded[0]), 72518);
    EXPECT_EQ(lineWmo(loaded[1]), 87576);
    EXPECT_EQ(lineWmo(loaded[2]), 74494);
    EXPECT_EQ(orderValueText(loaded), "Approximate value of this order is $4,200");

    // Saving again replaces the file.
    saveOrderList(dir.path(), {lines[1]});
    EXPECT_EQ(loadOrderList(dir.path()), std::vector<std::string>{lines[1]});
}

TEST(OrderList, recordBytesAreTheWmoAndTheScrambledTextPaddedWithBlanks) {
    TempFolder dir;
    saveOrderList(dir.path(), {"AB 1.00, 2.00#87576", "X 0.50, -0.50#7"});
    const std::string bytes = skyloom::test::readFile(dir / "OrderList.bin");
    ASSERT_EQ(bytes.size(), 416u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x00\x00\x00\x00\x80\x61\xf5\x40", 8));
    EXPECT_EQ(bytes.substr(8, 19), scramble("AB 1.00, 2.00#87576"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 255u - '6');
    EXPECT_EQ(bytes.substr(27, 181), std::string(181, ' '));
    EXPECT_EQ(bytes.substr(208, 8), std::string("\x00\x00\x00\x00\x00\x00\x1c\x40", 8));

    // The golden file was written by this layout; renew it on purpose with
    // SKYLOOM_RENEW_GOLDEN=1 and review the bytes before committing.
    const auto golden = skyloom::test::testData("order_two_records.bin");
    if (std::getenv("SKYLOOM_RENEW_GOLDEN")) skyloom::test::writeFile(golden, bytes);
    EXPECT_EQ(bytes, skyloom::test::readFile(golden));

    // Loading drops the padding (characters of code 223 once unscrambled) and
    // lays the lines out with their visible part padded to 200.
    const auto loaded = loadOrderList(dir.path());
    EXPECT_EQ(loaded, (std::vector<std::string>{SiteLine::compose("AB", "1.00, 2.00#87576"),
                                                SiteLine::compose("X", "0.50, -0.50#7")}));
    EXPECT_EQ(lineFromRecord(orderRecord("no key here")), "no key here");
}

TEST(OrderList, aMissingFileIsCreatedEmptyAndATrailingPartialRecordIsIgnored) {
    TempFolder dir;
    EXPECT_TRUE(loadOrderList(dir.path()).empty());
    ASSERT_TRUE(std::filesystem::exists(dir / "OrderList.bin"));
    EXPECT_EQ(std::filesystem::file_size(dir / "OrderList.bin"), 0u);
    deleteOrderList(dir.path());
    EXPECT_FALSE(std::filesystem::exists(dir / "OrderList.bin"));

    saveOrderList(dir.path(), {albany()});
    skyloom::test::writeFile(dir / "OrderList.bin", skyloom::test::readFile(dir / "OrderList.bin") + std::string(100, 'x'));
    EXPECT_EQ(loadOrderList(dir.path()).size(), 1u);
}

TEST(OrderList, linesTooLongForARecordKeepTheirEndWhenTheyCannotBeShortened) {
    const std::string visible(230, 'v');
    const std::string line = visible + " 1.00, 2.00#5";
    const std::string back = lineFromRecord(orderRecord(line));
    EXPECT_EQ(lineWmo(back), 5);
    EXPECT_EQ(SiteLine::parse(back)->keyText(), "1.00, 2.00#5");
}

TEST(OrderList, yearsTextSpans) {
    // Gaps are not shown: the span names only the first and the last year.
    struct Case { std::vector<std::pair<int, int>> picked; bool option0708; const char* text; };
    const Case cases[] = {
        {{}, false, " 0 yrs "},                        {{}, true, " 2 yrs 07-08"},
        {{{2006, 2006}}, false, " 1 yrs 06"},          {{{2006, 2006}}, true, " 3 yrs 06-08"},
        {{{1994, 1994}}, false, " 1 yrs 94"},          {{{1994, 1994}}, true, " 1 yrs 94"},
        {{{1994, 2006}}, false, " 13 yrs 94-06"},      {{{1994, 2006}}, true, " 15 yrs 94-08"},
        {{{1995, 1995}, {2001, 2002}}, false, " 3 yrs 95-02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto rows = years(1990, 2006);
        for (auto [from, to] : c.picked) select(rows, from, to);
        EXPECT_EQ(buildYears(rows, c.option0708).text(), c.text);
        rows.back().selected = true;   // a selected "Total" row is not a year
        EXPECT_EQ(buildYears(rows, c.option0708).text(), c.text);
    }
}

TEST(OrderList, theTotalRowSelectsAndClearsEveryYear) {
    auto rows = years(1994, 2000);
    setSelected(rows, 2, true);
    EXPECT_TRUE(rows[2].selected);
    EXPECT_FALSE(rows[3].selected);
    setSelected(rows, rows.size() - 1, true);
    for (const auto& r : rows) EXPECT_TRUE(r.selected) << r.year;
    EXPECT_EQ(buildYears(rows, false).text(), " 7 yrs 94-00");
    setSelected(rows, 0, false);
    EXPECT_FALSE(rows[0].selected);
    EXPECT_TRUE(rows.back().selected);
    setSelected(rows, rows.size() - 1, false);
    for (const auto& r : rows) EXPECT_FALSE(r.selected) << r.year;
}

TEST(OrderList, the0708OptionNeeds2006AsTheLastSelectedYear) {
    auto rows = years(1994, 2006);
    select(rows, 1998, 2005);
    ScriptedPrompter p;
    EXPECT_FALSE(allow0708(rows, p));
    EXPECT_EQ(p.messages, (std::vector<std::string>{
                              "You can not select this unless the year 2006 is selected or there are no years selected."}));

    ScriptedPrompter quiet;
    select(rows, 2006, 2006);
    EXPECT_TRUE(allow0708(rows, quiet));
    EXPECT_TRUE(allow0708(years(1994, 2006), quiet));
    EXPECT_TRUE(quiet.messages.empty());
}

TEST(OrderList, theOrderIsWorth300DollarsAStationYear) {
    const std::string order = albany();
    EXPECT_EQ(orderYears({order}), 0);
    EXPECT_EQ(orderValueText({}), "Approximate value of this order is $0");
    EXPECT_EQ(orderYears({withYearsText(order, " 15 yrs 94-08"), order}), 15);
    EXPECT_EQ(orderValueText({withYearsText(order, " 15 yrs 94-08")}), "Approximate value of this order is $4,500");
    std::vector<std::string> many(300, withYearsText(order, " 13 yrs 94-06"));
    EXPECT_EQ(orderValueText(many), "Approximate value of this order is $1,170,000");
}

TEST(OrderList, quotationTextListsEachLineWithItsWmo) {
    const std::string a = withYearsText(albany(), " 2 yrs 94-95");
    const std::string b = toOrderLine(nearLine(87576, "EZEIZA AERO", -34.82, -58.53));
    const QuoteDetails d{"Jane Roe, please hurry", "jane@example.org", false};
    EXPECT_EQ(quotationText({a, b}, d),
              "ALBANY, United States North America => 2 yrs 94-95 72518\r\n"
              "EZEIZA AERO, United States North America => 87576\r\n"
              "Message = Jane Roe, please hurry\r\n"
              "jane@example.org\r\n");
    EXPECT_EQ(quotationFileName("jane@example.org"), "jane@example.org~Quote~.txt");
    EXPECT_EQ(quotationFileName("a/b:c"), "a_b_c~Quote~.txt");
}

TEST(OrderList, quoteDetailsAskForAnAddressUntilItHoldsAnAt) {
    ScriptedPrompter p;
    p.answer("  Jane Roe  ").answer("jane").answer("jane@example.org");
    const auto d = askQuoteDetails(p, "");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->message, "Jane Roe");
    EXPECT_EQ(d->email, "jane@example.org");
    EXPECT_TRUE(d->emailIsNew);
    EXPECT_EQ(p.prompts, (std::vector<std::string>{
                             "Please input here any information you wish to add, including your name.",
                             "What is your e-mail address?", "What is your e-mail address?"}));
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Invalid email address please try again"}));

    ScriptedPrompter stored;
    stored.cancel();
    const auto s = askQuoteDetails(stored, "me@home.net");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->message, "");
    EXPECT_EQ(s->email, "me@home.net");
    EXPECT_FALSE(s->emailIsNew);

    ScriptedPrompter gaveUp;
    gaveUp.answer("hi").cancel();
    EXPECT_FALSE(askQuoteDetails(gaveUp, ""));
}

TEST(OrderList, sendingRetriesOnRequestAndAlwaysDeletesTheFile) {
    TempFolder dir;
    const std::vector<std::string> lines = {albany()};
    const QuoteDetails d{"hello", "jane@example.org", false};
    int calls = 0;
    std::string uploaded;
    auto flaky = [&](const std::filesystem::path& f) {
        uploaded = skyloom::test::readFile(f);
        return ++calls == 2;
    };
    ScriptedPrompter p;
    p.yes();
    EXPECT_TRUE(sendQuotation(dir.path(), lines, d, flaky, p));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(uploaded, quotationText(lines, d));
    EXPECT_EQ(p.questions, (std::vector<std::string>{"Internet Connection Problem. Shall I try again?"}));
    EXPECT_EQ(p.messages, (std::vector<std::string>{
                              "You will soon receive a quote by email to jane@example.org\n\nYour Request for Quotation "
                              "file was just uploaded to the site at Skyloom."}));
    EXPECT_FALSE(std::filesystem::exists(dir / "jane@example.org~Quote~.txt"));

    ScriptedPrompter no;
    no.no();
    EXPECT_FALSE(sendQuotation(dir.path(), lines, d, [](const std::filesystem::path&) { return false; }, no));
    EXPECT_TRUE(no.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "jane@example.org~Quote~.txt"));
}
