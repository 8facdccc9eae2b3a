#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/MainDatabase.h"
#include "ordering/Inventory.h"
#include "ordering/OrderList.h"

using namespace skyloom;

namespace {

class InventoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(tmp.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(main.open(prompter));
    }
    int count(const std::string& sql) { return main.db().execAndGet(sql).getInt(); }
    std::vector<ordering::YearOfData> years(int from, int to) {
        std::vector<ordering::YearOfData> out;
        for (int y = from; y <= to; ++y) out.push_back({y, 700 + y % 10});
        return out;
    }

    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    core::MainDatabase main{tmp.dir()};
};

}  // namespace

TEST_F(InventoryTest, stationRowsEndWithTheirTotalRow) {
    ordering::Inventory inv(main.db());
    inv.fillStation(72518, years(2000, 2002));
    const auto rows = inv.rows(72518);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].year, "2000");
    EXPECT_EQ(rows[2].year, "2002");
    EXPECT_TRUE(rows[3].isTotal());
    EXPECT_EQ(rows[3].total, 700 + 701 + 702);
    EXPECT_EQ(rows[3].tyears, 3);
    EXPECT_EQ(rows[0].tyears, 1);
    for (const auto& r : rows) EXPECT_FALSE(r.selected);
    // Filling again replaces the station's rows instead of adding to them.
    inv.fillStation(72518, years(2001, 2002));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72518"), 3);
}

TEST_F(InventoryTest, totalRowSelectsAndClearsEveryYearOfItsStationOnly) {
    ordering::Inventory inv(main.db());
    inv.fillStation(72518, years(2000, 2004));
    inv.fillStation(72520, years(2000, 2004));
    const auto rows = inv.rows(72518);
    ASSERT_TRUE(inv.setSelected(rows.back().key, true));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72518 AND Selected = -1"), 6);
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72520 AND Selected <> 0"), 0);
    ASSERT_TRUE(inv.setSelected(rows.back().key, false));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72518 AND Selected <> 0"), 0);
    // A year row changes alone.
    ASSERT_TRUE(inv.setSelected(rows[1].key, true));
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE Selected = -1"), 1);
    EXPECT_FALSE(inv.setSelected(999999, true));
}

TEST_F(InventoryTest, selectYearsAndClearSelected) {
    ordering::Inventory inv(main.db());
    inv.fillStation(72518, years(1990, 2006));
    inv.selectYears(72518, {1994, 1995, 1996});
    auto choice = ordering::buildYears(inv.choices(72518), false);
    EXPECT_EQ(choice.text(), " 3 yrs 94-96");
    inv.selectYears(72518, {2006});
    EXPECT_EQ(ordering::buildYears(inv.choices(72518), true).text(), " 3 yrs 06-08");
    inv.clearSelected(72518);
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE Selected <> 0"), 0);
}

// Repeatable: the default inventory test compares a second call with what was stored.
TEST(InventoryDefaults, plausibleYearsUpTo2006) {
    for (long wmo : {1001L, 72518L, 91285L, 48698L}) {
        SCOPED_TRACE(wmo);
        const auto a = ordering::defaultYearsOfData(wmo);
        ASSERT_FALSE(a.empty());
        EXPECT_LE(a.front().year, 1994);
        EXPECT_GE(a.front().year, 1973);
        EXPECT_EQ(a.back().year, 2006);
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].year, a.front().year + static_cast<int>(i));
            EXPECT_GT(a[i].soundings, 0);
            EXPECT_LE(a[i].soundings, 730);
        }
    }
    // Across many stations most years are full and some are thin.
    int full = 0, thin = 0;
    for (long wmo = 70000; wmo < 70100; ++wmo)
        for (const auto& y : ordering::defaultYearsOfData(wmo)) (y.soundings >= 600 ? full : thin) += 1;
    EXPECT_GT(full, thin * 4);
    EXPECT_GT(thin, 0);
}

TEST_F(InventoryTest, defaultInventoryCoversEveryStationOnce) {
    main.db().exec("INSERT INTO stations (wmo, stationname) VALUES (72518, 'Albany'), (72520, 'Pittsburgh')");
    ordering::Inventory(main.db()).fillStation(72520, years(2005, 2006));
    EXPECT_EQ(ordering::fillDefaultInventory(main.db()), 1);   // 72520 already had rows
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72520"), 3);
    const auto expected = ordering::defaultYearsOfData(72518);
    EXPECT_EQ(count("SELECT count(*) FROM Inventory WHERE WMO = 72518"), static_cast<int>(expected.size()) + 1);
    long sum = 0;
    for (const auto& y : expected) sum += y.soundings;
    EXPECT_EQ(count("SELECT Total FROM Inventory WHERE WMO = 72518 AND Year = 'Total'"), sum);
    EXPECT_EQ(ordering::fillDefaultInventory(main.db()), 0);
}
