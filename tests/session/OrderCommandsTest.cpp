#include <gtest/gtest.h>

#include <filesystem>

#include <SQLiteCpp/SQLiteCpp.h>

#include "StartedFolder.h"
#include "core/FileOps.h"
#include "core/Text.h"
#include "display/SiteLine.h"
#include "ordering/Inventory.h"
#include "ordering/OrderList.h"
#include "session/OrderCommands.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

std::string nearLine(const std::string& name, double lat, double lon, long wmo) {
    return display::SiteLine::compose(name + ", United States North America =>275 feet above sea level.", lat, lon,
                                      wmo);
}

class OrderCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<ordering::YearOfData> years;
        for (int y = 1990; y <= 2006; ++y) years.push_back({y, 700});
        ordering::Inventory(s->mainDb().db()).fillStation(72518, years);
        orders = std::make_unique<session::OrderCommands>(*s);
        orders->changed = [this] { ++changes; };
    }
    int count(const std::string& sql) { return s->mainDb().db().execAndGet(sql).getInt(); }
    // The grid row of a year of the chosen station.
    std::size_t rowOf(const std::string& year) {
        const auto rows = orders->yearsWindow().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].year == year) return i;
        ADD_FAILURE() << "no row " << year;
        return 0;
    }
    void giveDataFile(long wmo) {
        s->mainDb().db().exec("INSERT INTO havedata (wmo, FromDate, ToDate, NumSoundings, NumDataPoints, "
                              "NumDeletedDataPoints, NumDeletedSoundings, TimeGaps) VALUES (" +
                              std::to_string(wmo) + ", '1990-01-01', '1999-12-31', 7000, 90000, 0, 0, 1)");
    }

    test::StartedFolder f;
    test::TempFolder& tmp = f.tmp;
    test::ScriptedPrompter& prompter = f.prompter;
    std::unique_ptr<session::Session>& s = f.s;
    std::unique_ptr<session::OrderCommands> orders;
    int changes = 0;
    const std::string albany = nearLine("Albany, NY", 42.69, -73.83, 72518);
    const std::string pittsburgh = nearLine("Pittsburgh/Moon, PA", 40.53, -80.22, 72520);
    const std::string buffalo = "00012 miles to " + nearLine("Buffalo, NY", 42.94, -78.73, 72528);
};

}  // namespace

TEST_F(OrderCommandsTest, threeLinesSavedAndLoadedKeepTheirOrderAndStations) {
    EXPECT_EQ(orders->transfer({pittsburgh, albany, buffalo}), 3);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fs::file_size(tmp / "OrderList.bin"), 3 * 208u);
    session::OrderCommands again(*s);
    again.load();
    ASSERT_EQ(again.lines().size(), 3u);
    EXPECT_EQ(again.lines(), orders->lines());
    EXPECT_EQ(again.orderedStations(), (std::vector<long>{72520, 72518, 72528}));
    // Transferred lines are order lines: the distance prefix is cut and the elevation text blanked.
    EXPECT_EQ(again.lines()[2].substr(0, 10), "Buffalo, N");
    EXPECT_EQ(ordering::yearsField(again.lines()[0]), std::string(60, ' '));
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(OrderCommandsTest, aStationAlreadyOrderedIsNotAddedTwice) {
    EXPECT_EQ(orders->transfer({albany}), 1);
    EXPECT_EQ(orders->transfer({albany, pittsburgh}), 1);
    EXPECT_EQ(orders->lines().size(), 2u);
    EXPECT_EQ(orders->transfer({albany}), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(OrderCommandsTest, thirteenYearsWithThe0708OptionCountFifteenAndPriceThem) {
    orders->transfer({albany});
    auto& w = orders->yearsWindow();
    w.activate();
    ASSERT_EQ(w.currentLine(), std::optional<std::size_t>(0));
    EXPECT_EQ(w.currentWmo(), 72518);
    EXPECT_EQ(w.siteLabel().substr(0, 10), "Albany, NY");
    EXPECT_FALSE(w.check0708());
    EXPECT_EQ(w.valueText(), "Approximate value of this order is $0");
    const int before = changes;
    for (int y = 1994; y <= 2006; ++y) w.editSelected(rowOf(std::to_string(y)), true);
    EXPECT_EQ(core::trim(ordering::yearsField(orders->lines()[0])), "13 yrs 94-06");
    EXPECT_EQ(changes, before + 13);   // the Main Page's order list shows each choice at once
    EXPECT_TRUE(w.setCheck0708(true));
    const std::string years = ordering::yearsField(orders->lines()[0]);
    EXPECT_EQ(years, core::padRight(" 15 yrs 94-08", 60));
    EXPECT_EQ(w.lines(), orders->lines());   // the window's list is refilled
    EXPECT_EQ(w.valueText(), "Approximate value of this order is $4,500");
    EXPECT_TRUE(prompter.messages.empty());
    // Choosing the line again sets the box from its years text.
    w.activate();
    EXPECT_TRUE(w.check0708());
}

TEST_F(OrderCommandsTest, totalRowSelectsAllAndNone) {
    orders->transfer({albany});
    auto& w = orders->yearsWindow();
    w.activate();
    w.editSelected(rowOf("Total"), true);
    EXPECT_EQ(core::trim(ordering::yearsField(orders->lines()[0])), "17 yrs 90-06");
    w.editSelected(rowOf("Total"), false);
    EXPECT_EQ(core::trim(ordering::yearsField(orders->lines()[0])), "0 yrs");
    EXPECT_EQ(w.valueText(), "Approximate value of this order is $0");
}

TEST_F(OrderCommandsTest, optionRefusedWhen2005IsTheLastSelectedYear) {
    orders->transfer({albany});
    auto& w = orders->yearsWindow();
    w.activate();
    w.editSelected(rowOf("2004"), true);
    w.editSelected(rowOf("2005"), true);
    EXPECT_FALSE(w.setCheck0708(true));
    EXPECT_FALSE(w.check0708());
    EXPECT_EQ(prompter.lastMessage(),
              "You can not select this unless the year 2006 is selected or there are no years selected.");
    EXPECT_EQ(core::trim(ordering::yearsField(orders->lines()[0])), "2 yrs 04-05");
    // With no year selected the option alone orders 2007 and 2008.
    w.editSelected(rowOf("Total"), false);
    EXPECT_TRUE(w.setCheck0708(true));
    EXPECT_EQ(core::trim(ordering::yearsField(orders->lines()[0])), "2 yrs 07-08");
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(OrderCommandsTest, stationWithDataAsksAboutWideningItsRange) {
    giveDataFile(72518);
    prompter.no();
    EXPECT_EQ(orders->transfer({albany, pittsburgh}), 1);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "This computer already has an analysis file for Albany, NY, United States North America on it for the "
              "10.0 yr period from 01-Jan-1990 to 31-Dec-1999.\n\nDo you wish to request an expansion of this date "
              "range?");
    EXPECT_EQ(orders->orderedStations(), std::vector<long>{72520});
    prompter.yes();
    EXPECT_EQ(orders->transfer({albany}), 1);
    EXPECT_EQ(orders->orderedStations(), (std::vector<long>{72520, 72518}));
    EXPECT_TRUE(prompter.allAnswersUsed());
}

TEST_F(OrderCommandsTest, clearSelectedAndClearAll) {
    s->mainDb().db().exec("UPDATE Inventory SET Selected = -1 WHERE WMO IN (72518, 72520, 72528)");
    orders->transfer({albany, pittsburgh, buffalo});
    orders->removeLines({1, 7});
    EXPECT_EQ(orders->orderedStations(), (std::vector<long>{72518, 72528}));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72520 AND Selected <> 0"), 0);
    EXPECT_GT(count("SELECT count(*) FROM Inventory WHERE WMO = 72518 AND Selected = -1"), 0);
    EXPECT_EQ(fs::file_size(tmp / "OrderList.bin"), 2 * 208u);
    orders->clearAll();
    EXPECT_TRUE(orders->lines().empty());
    EXPECT_FALSE(fs::exists(tmp / "OrderList.bin"));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE Selected <> 0"), 0);
    EXPECT_EQ(changes, 3);
}

// ---- Request for quotation -------------------------------------------------

class QuoteTest : public OrderCommandsTest {
protected:
    void SetUp() override {
        OrderCommandsTest::SetUp();
        orders->transfer({albany, pittsburgh});
        fs::create_directories(tmp / "supplier");
    }
    std::vector<fs::path> quoteFilesIn(const fs::path& dir) {
        std::vector<fs::path> out;
        if (!fs::exists(dir)) return out;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().find("~Quote~") != std::string::npos) out.push_back(e.path());
        return out;
    }
    bool continueWindow(session::YearsWindow& w) {
        seenLines = w.lines().size();
        return true;
    }
    std::size_t seenLines = 0;
};

TEST_F(QuoteTest, requestIsWrittenUploadedIntoUsageAndDeletedLocally) {
    prompter.answer("  Please quote, Jo Smith  ").answer("no address").answer("jo@example.org");
    EXPECT_TRUE(orders->requestQuote([this](session::YearsWindow& w) { return continueWindow(w); }));
    EXPECT_EQ(seenLines, 2u);
    EXPECT_EQ(prompter.prompts,
              (std::vector<std::string>{"Please input here any information you wish to add, including your name.",
                                        "What is your e-mail address?", "What is your e-mail address?"}));
    EXPECT_EQ(prompter.messages[0], "Invalid email address please try again");
    // The fixed text, then where the request went.
    EXPECT_EQ(prompter.lastMessage(),
              "You will soon receive a quote by email to jo@example.org\n\nYour Request for Quotation file was just "
              "uploaded to the site at Skyloom.\n\nIt is in the folder " + tmp.dir() + "supplier/USAGE/");
    EXPECT_EQ(s->settings().get("Email"), "jo@example.org");
    const auto uploaded = quoteFilesIn(tmp / "supplier" / "USAGE");
    ASSERT_EQ(uploaded.size(), 1u);
    const std::string text = test::readFile(uploaded[0]);
    EXPECT_NE(text.find(" 72518\r\n"), std::string::npos);
    EXPECT_NE(text.find("Message = Please quote, Jo Smith\r\njo@example.org\r\n"), std::string::npos);
    EXPECT_TRUE(quoteFilesIn(tmp.path()).empty());
    EXPECT_EQ(fs::file_size(tmp / "OrderList.bin"), 2 * 208u);
}

TEST_F(QuoteTest, storedAddressIsNotAskedAgainAndAFileUrlLocationServes) {
    s->settings().set("Email", "kim@example.org");
    s->settings().set("SupplierFolder", "file://" + (tmp / "elsewhere").string());
    fs::create_directories(tmp / "elsewhere");
    prompter.answer("hello");
    EXPECT_TRUE(orders->requestQuote(nullptr));
    EXPECT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(quoteFilesIn(tmp / "elsewhere" / "USAGE").size(), 1u);
}

TEST_F(QuoteTest, cancellingTheYearsWindowEndsTheRequestAfterSaving) {
    fs::remove(tmp / "OrderList.bin");
    EXPECT_FALSE(orders->requestQuote([](session::YearsWindow&) { return false; }));
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_TRUE(fs::exists(tmp / "OrderList.bin"));
}

TEST_F(QuoteTest, anUnreachableSupplierAsksToRetryAndARetryCanSucceed) {
    const std::string supplier = s->settings().get("SupplierFolder");
    s->settings().set("SupplierFolder", (tmp / "unreachable").string());
    s->settings().set("Email", "kim@example.org");
    prompter.answer("msg").yes().no();
    EXPECT_FALSE(orders->requestQuote(nullptr));
    EXPECT_EQ(prompter.questions, (std::vector<std::string>(2, "Internet Connection Problem. Shall I try again?")));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(quoteFilesIn(tmp.path()).empty());

    s->settings().set("SupplierFolder", supplier);
    s->settings().set("Email", "");
    int attempts = 0;
    auto real = orders->upload;
    orders->upload = [&](const fs::path& file) { return ++attempts > 1 && real(file); };
    prompter.yes();
    EXPECT_TRUE(orders->sendQuote({"msg", "kim@example.org", false}));
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(prompter.questions.size(), 3u);
    EXPECT_EQ(quoteFilesIn(tmp / "supplier" / "USAGE").size(), 1u);
    EXPECT_TRUE(quoteFilesIn(tmp.path()).empty());
    EXPECT_EQ(s->settings().get("Email"), "");   // an address not newly asked is not stored
}
