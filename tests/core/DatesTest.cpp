#include <gtest/gtest.h>

#include "core/Dates.h"

using namespace skyloom;

TEST(Dates, typedFormsAreReadAndReadBackFromTheStoredForm) {
    const auto march1 = core::makeDate(2019, 3, 1);
    for (const char* typed : {"2019-03-01", "01-Mar-2019", "Mar-01-2019", "Mar 1, 2019", "3/1/2019", "3/1/19",
                              " 1 march 2019 "})
        EXPECT_EQ(core::parseUserDate(typed), march1) << typed;
    EXPECT_EQ(core::parseUserDate("12/31/99"), core::makeDate(1999, 12, 31));
    EXPECT_EQ(core::parseIsoDate(core::isoDate(core::makeDate(5, 1, 9))), core::makeDate(5, 1, 9));
    EXPECT_EQ(core::parseIsoDate("1990-01-02 12:00:00"), core::makeDate(1990, 1, 2));
}

TEST(Dates, datesTheStoredFormCannotHoldAreRefused) {
    // A five-digit year was once taken, stored as "13009-03-12" and never read back.
    for (const char* typed : {"3/12/13009", "3/12/99999999999", "2/30/2019", "13/1/2019",
                              "Mar 0, 2019", "0/0/0", "1/1/4294967297"})
        EXPECT_FALSE(core::parseUserDate(typed)) << typed;
    for (const char* stored : {"0000-01-01", "-001-01-01", "2019-00-10", "2019-13-01", "2019-02-29"})
        EXPECT_FALSE(core::parseIsoDate(stored)) << stored;
}
