#include "catalogue/ActionStationData.h"
#include "catalogue/UpdateSchedule.h"
#include "util/Profile.h"

#include <gtest/gtest.h>

using catalogue::CActionStationData;
using catalogue::FormatUpdateStamp;
using catalogue::IsUpdateDueOn;
using catalogue::ParseUsDateTime;

namespace {

std::tm Day(int year, int month, int day, int hour = 12, int minute = 0) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

struct DueCase {
    const char* stored;  // nullptr: nothing stored yet
    std::tm now;
    bool due;
};

}  // namespace

TEST(UpdateScheduleTest, OnlyDayOfMonthAndMonthDecide) {
    const DueCase cases[] = {
        {"03/07/2007 00:05:00", Day(2007, 3, 7, 23, 59), false},
        {"03/07/2007 00:05:00", Day(2007, 3, 8, 0, 0), true},
        {"03/07/2007 00:05:00", Day(2008, 3, 7), false},  // the year never counts
        {"03/07/2007 00:05:00", Day(2007, 7, 3), true},   // month first, not day first
        {"03/07/2007 00:05:00", Day(2007, 4, 7), true},
        {nullptr, Day(2026, 1, 25), false},  // the default, 1/25/1996 8:30:00
        {nullptr, Day(1996, 1, 25, 8, 30), false},
        {nullptr, Day(2026, 1, 26), true},
        {nullptr, Day(2026, 2, 25), true},
        {"not a date", Day(2026, 1, 25), true},
        {"", Day(2026, 1, 25), true},
        {"2/30/2007 10:00:00", Day(2007, 3, 2), true},  // no 30 February, no roll-over
        {"13/01/2007", Day(2007, 1, 13), true},
        {"1/25/1996 25:00:00", Day(2026, 1, 25), true},
        {"1/25/1996 8:30:00 trailing", Day(2026, 1, 25), true},
        {" 1/25/96 8:30 PM ", Day(2026, 1, 25), false},
        {"2/29/2008", Day(2012, 2, 29), false},  // a leap day is a date
        {"2/29/2009", Day(2009, 3, 1), true},    // 2009 has none
    };
    for (const DueCase& c : cases) {
        util::MemoryProfile profile;
        util::InstallProfile(&profile);
        if (c.stored)
            profile.WriteText("CActionStationData", "szLastUpdate", c.stored);
        CActionStationData updater(nullptr, "/nonexistent/cache");
        EXPECT_EQ(updater.IsUpdateDueAt(c.now), c.due)
            << (c.stored ? c.stored : "(default)") << " on " << c.now.tm_mon + 1 << "/"
            << c.now.tm_mday << "/" << c.now.tm_year + 1900;
        util::InstallProfile(nullptr);
    }
}

TEST(UpdateScheduleTest, TheStampIsWrittenMonthFirstAndReadsBack) {
    const std::tm now = Day(2007, 3, 7, 14, 5);
    EXPECT_EQ(FormatUpdateStamp(now), "03/07/2007 14:05:00");
    const auto parsed = ParseUsDateTime(FormatUpdateStamp(now));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->month, 3);
    EXPECT_EQ(parsed->day, 7);
    EXPECT_EQ(parsed->year, 2007);
    EXPECT_FALSE(IsUpdateDueOn(FormatUpdateStamp(now), Day(2031, 3, 7)));
}
