#include "settings/UpdateSchedule.h"

namespace velmora {
namespace {

constexpr int32_t kDaysPerWeek = 7;

bool IsLeapYear(int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The day before `d`, weekday included.
CalendarDay DayBefore(CalendarDay d) {
    d.weekday = d.weekday == 1 ? kDaysPerWeek : d.weekday - 1;
    if (d.day > 1) {
        --d.day;
        return d;
    }
    if (d.month > 1) {
        --d.month;
    } else {
        d.month = 12;
        --d.year;
    }
    d.day = DaysInMonth(d.year, d.month);
    return d;
}

// The keys tell the last check's day of the month, its day of the week and, when the month is
// stored with them, its month: the last check is one of the days that carry all of these. When
// none of the last seven days (today included) does, a week or more has passed. When one does,
// it is taken for the last check. With the day and weekday alone a check four weeks back in
// February would pass for one today in March, and the offer would wait another week; with the
// month only a check five or more years back can be mistaken, and then for a few days only.
bool AWeekHasPassed(const ScheduleKeys& last, const CalendarDay& today) {
    CalendarDay d = today;
    for (int32_t back = 0; back < kDaysPerWeek; ++back) {
        if (d.day == *last.day && d.weekday == *last.week &&
            (!last.month || d.month == *last.month)) {
            return false;
        }
        d = DayBefore(d);
    }
    return true;
}

}  // namespace

int32_t DaysInMonth(int32_t year, int32_t month) {
    static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ScheduleChecksVersions(int32_t mode) {
    return mode >= static_cast<int32_t>(UpdateSchedule::kOnStartup) &&
           mode <= static_cast<int32_t>(UpdateSchedule::kMonthly);
}

ScheduleKeysUsed KeysUsedBy(int32_t mode) {
    ScheduleKeysUsed used;
    used.day = mode == static_cast<int32_t>(UpdateSchedule::kDaily) ||
               mode == static_cast<int32_t>(UpdateSchedule::kWeekly);
    used.week = mode == static_cast<int32_t>(UpdateSchedule::kWeekly);
    used.month = mode == static_cast<int32_t>(UpdateSchedule::kWeekly) ||
                 mode == static_cast<int32_t>(UpdateSchedule::kMonthly);
    return used;
}

ScheduleDecision DecideScheduledCheck(int32_t mode, const ScheduleKeys& stored,
                                      const CalendarDay& today) {
    ScheduleDecision decision;
    if (!ScheduleChecksVersions(mode)) return decision;
    switch (static_cast<UpdateSchedule>(mode)) {
        case UpdateSchedule::kOnStartup:
            decision.offer = true;
            break;
        case UpdateSchedule::kDaily:
            if (!stored.day || *stored.day == today.day) break;
            decision.offer = true;
            decision.store.day = today.day;
            break;
        case UpdateSchedule::kWeekly:
            if (!stored.day || !stored.week || !AWeekHasPassed(stored, today)) break;
            decision.offer = true;
            decision.store.day = today.day;
            decision.store.week = today.weekday;
            decision.store.month = today.month;
            break;
        case UpdateSchedule::kMonthly:
            if (!stored.month || *stored.month == today.month) break;
            decision.offer = true;
            decision.store.month = today.month;
            break;
        default:
            break;
    }
    return decision;
}

}  // namespace velmora
