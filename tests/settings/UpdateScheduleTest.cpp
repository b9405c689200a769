// The schedule of the update check on a clock the test chooses: each mode's rule, and the weekly
// rule across month and year ends.
#include "settings/UpdateSchedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

// Days since 1970-01-01 and back (the civil-calendar conversion), independent of the code
// under test; 1970-01-01 was a Thursday.
int64_t DayNumber(int32_t y, int32_t m, int32_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CalendarDay FromDayNumber(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int32_t d = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    const int32_t m = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    const int32_t y = static_cast<int32_t>(yoe + era * 400 + (m <= 2));
    const int64_t thursdayBased = ((z - 719468) % 7 + 7) % 7;                   // 0 = Thursday
    const int32_t weekday = static_cast<int32_t>((thursdayBased + 4) % 7) + 1;  // 1 = Sunday
    return CalendarDay{y, m, d, weekday};
}

CalendarDay Day(int32_t y, int32_t m, int32_t d) {
    return FromDayNumber(DayNumber(y, m, d));
}

ScheduleKeys KeysOf(const CalendarDay& last) {
    return ScheduleKeys{last.day, last.weekday, last.month};
}

std::string Show(const std::optional<int32_t>& v) {
    return v ? std::to_string(*v) : std::string("-");
}

TEST(UpdateScheduleTest, TheTestCalendarKnowsItsWeekdays) {
    EXPECT_EQ(Day(2016, 8, 10).weekday, 4);   // a Wednesday
    EXPECT_EQ(Day(2023, 12, 31).weekday, 1);  // a Sunday
    EXPECT_EQ(Day(2024, 2, 29).weekday, 5);   // a Thursday
}

struct Case {
    const char* name;
    int32_t mode;
    ScheduleKeys stored;
    CalendarDay today;
    bool offer;
    ScheduleKeys store;
};

TEST(UpdateScheduleTest, EachModeDecidesByItsKeys) {
    const CalendarDay may9 = Day(2016, 5, 9);
    const CalendarDay wed10 = Day(2016, 8, 10);
    const CalendarDay sun28 = Day(2016, 8, 28);
    const CalendarDay dec28 = Day(2016, 12, 28);
    const CalendarDay feb10 = Day(2015, 2, 10);
    const std::vector<Case> cases = {
        {"never", 0, KeysOf(may9), Day(2016, 6, 1), false, {}},
        {"below the list", -1, KeysOf(may9), Day(2016, 6, 1), false, {}},
        {"above the list", 5, KeysOf(may9), Day(2016, 6, 1), false, {}},
        {"on startup", 1, {}, may9, true, {}},

        {"daily, same day", 2, {9, {}, {}}, may9, false, {}},
        {"daily, next day", 2, {9, {}, {}}, Day(2016, 5, 10), true, {10, {}, {}}},
        {"daily, across the month's end", 2, {31, {}, {}}, Day(2016, 6, 1), true, {1, {}, {}}},
        {"daily, across the year's end", 2, {31, {}, {}}, Day(2017, 1, 1), true, {1, {}, {}}},
        {"daily, same day a month on", 2, {9, {}, {}}, Day(2016, 6, 9), false, {}},
        {"daily, no day stored", 2, {{}, 3, 5}, Day(2016, 6, 1), false, {}},

        {"weekly, six days on", 3, KeysOf(wed10), Day(2016, 8, 16), false, {}},
        {"weekly, seven days on", 3, KeysOf(wed10), Day(2016, 8, 17), true, {17, 4, 8}},
        {"weekly, the same day", 3, KeysOf(wed10), wed10, false, {}},
        // The 28th: the old threshold 28 + (7 - 1) = 34 was never passed again.
        {"weekly, from the 28th, six days on", 3, KeysOf(sun28), Day(2016, 9, 3), false, {}},
        {"weekly, from the 28th, over the month's end",
         3,
         KeysOf(sun28),
         Day(2016, 9, 4),
         true,
         {4, 1, 9}},
        {"weekly, from the 28th, months on",
         3,
         KeysOf(sun28),
         Day(2016, 11, 20),
         true,
         {20, 1, 11}},
        {"weekly, six days over the year's end", 3, KeysOf(dec28), Day(2017, 1, 3), false, {}},
        {"weekly, seven days over the year's end",
         3,
         KeysOf(dec28),
         Day(2017, 1, 4),
         true,
         {4, 4, 1}},
        // Four weeks after 10 February is 10 March, the same weekday: only the month tells.
        {"weekly, four weeks on in February", 3, KeysOf(feb10), Day(2015, 3, 10), true, {10, 3, 3}},
        {"weekly, no month stored, six days on", 3, {10, 4, {}}, Day(2016, 8, 16), false, {}},
        {"weekly, no month stored, seven days on",
         3,
         {10, 4, {}},
         Day(2016, 8, 17),
         true,
         {17, 4, 8}},
        {"weekly, a weekday out of range", 3, {10, 9, 8}, Day(2016, 8, 11), true, {11, 5, 8}},
        {"weekly, no weekday stored", 3, {10, {}, 8}, Day(2016, 9, 30), false, {}},
        {"weekly, no day stored", 3, {{}, 4, 8}, Day(2016, 9, 30), false, {}},

        {"monthly, same month", 4, {{}, {}, 5}, Day(2016, 5, 31), false, {}},
        {"monthly, next month", 4, {{}, {}, 5}, Day(2016, 6, 1), true, {{}, {}, 6}},
        {"monthly, across the year's end", 4, {{}, {}, 12}, Day(2017, 1, 1), true, {{}, {}, 1}},
        {"monthly, same month a year on", 4, {{}, {}, 5}, Day(2017, 5, 2), false, {}},
        {"monthly, no month stored", 4, {1, 1, {}}, Day(2017, 5, 2), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScheduleDecision d = DecideScheduledCheck(c.mode, c.stored, c.today);
        EXPECT_EQ(d.offer, c.offer);
        EXPECT_EQ(Show(d.store.day), Show(c.store.day));
        EXPECT_EQ(Show(d.store.week), Show(c.store.week));
        EXPECT_EQ(Show(d.store.month), Show(c.store.month));
    }
}

// Every last check over three years (a leap year among them), against every day of the six
// weeks after it: the weekly offer comes exactly when seven or more days have passed. What the
// offer stores is the keys the next decision reads.
TEST(UpdateScheduleTest, WeeklyOffersOnceSevenDaysHavePassedFromAnyDay) {
    const int64_t first = DayNumber(2015, 1, 1);
    const int64_t last = DayNumber(2017, 12, 31);
    for (int64_t lastCheck = first; lastCheck <= last; ++lastCheck) {
        const ScheduleKeys keys = KeysOf(FromDayNumber(lastCheck));
        for (int64_t later = 0; later <= 42; ++later) {
            const CalendarDay today = FromDayNumber(lastCheck + later);
            const ScheduleDecision d = DecideScheduledCheck(3, keys, today);
            ASSERT_EQ(d.offer, later >= 7) << "last check " << *keys.month << "/" << *keys.day
                                           << " (" << lastCheck << "), " << later << " days on";
            if (d.offer) {
                ASSERT_EQ(Show(d.store.day), std::to_string(today.day));
                ASSERT_EQ(Show(d.store.week), std::to_string(today.weekday));
                ASSERT_EQ(Show(d.store.month), std::to_string(today.month));
            }
        }
    }
}

TEST(UpdateScheduleTest, ModesReadTheirOwnKeys) {
    struct Row {
        int32_t mode;
        bool day, week, month;
    };
    for (const Row& r :
         {Row{0, false, false, false}, Row{1, false, false, false}, Row{2, true, false, false},
          Row{3, true, true, true}, Row{4, false, false, true}, Row{-1, false, false, false}}) {
        SCOPED_TRACE(r.mode);
        const ScheduleKeysUsed used = KeysUsedBy(r.mode);
        EXPECT_EQ(used.day, r.day);
        EXPECT_EQ(used.week, r.week);
        EXPECT_EQ(used.month, r.month);
        EXPECT_EQ(ScheduleChecksVersions(r.mode), r.mode >= 1 && r.mode <= 4);
    }
}

TEST(UpdateScheduleTest, MonthLengthsFollowTheLeapYearRule) {
    EXPECT_EQ(DaysInMonth(2016, 2), 29);
    EXPECT_EQ(DaysInMonth(2017, 2), 28);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2016, 4), 30);
    EXPECT_EQ(DaysInMonth(2016, 12), 31);
    EXPECT_EQ(DaysInMonth(2016, 13), 0);
}

}  // namespace
}  // namespace velmora
