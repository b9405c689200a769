// When the scheduled update check makes its offer: the five schedule modes and the date keys of
// the last check ("UpadteDay", "UpdateWeek", "UpadteMonth"). Windows-free: "today" is handed in.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// The schedule list's entries; the index is the stored "UpadteCheck".
enum class UpdateSchedule : int32_t {
    kNever = 0,
    kOnStartup = 1,
    kDaily = 2,
    kWeekly = 3,
    kMonthly = 4,
};
inline constexpr int32_t kUpdateScheduleCount = 5;
// What the page selects when the file says nothing.
inline constexpr int32_t kDefaultUpdateSchedule = static_cast<int32_t>(UpdateSchedule::kWeekly);

// A local calendar day. weekday: 1 = Sunday ... 7 = Saturday, as "UpdateWeek" stores it.
struct CalendarDay {
    int32_t year = 0;
    int32_t month = 0;  // 1..12
    int32_t day = 0;    // 1..31
    int32_t weekday = 0;
};

// The date keys as read from the file; a missing key is empty.
struct ScheduleKeys {
    std::optional<int32_t> day;
    std::optional<int32_t> week;
    std::optional<int32_t> month;
};

// What the check does today: whether to offer, and the keys to store (before asking).
struct ScheduleDecision {
    bool offer = false;
    ScheduleKeys store;
};

// True for the modes that compare versions at all (1..4); any other stored value is "never".
bool ScheduleChecksVersions(int32_t mode);

// Which date keys a mode reads; the others need not exist.
struct ScheduleKeysUsed {
    bool day = false;
    bool week = false;
    bool month = false;
};
ScheduleKeysUsed KeysUsedBy(int32_t mode);

// The rule:
//  - on startup: always;
//  - daily: when today's day of the month differs from "UpadteDay";
//  - weekly: once at least seven days have passed since the last check, across month and year
//    ends. "UpadteDay" and "UpdateWeek" are needed; "UpadteMonth", when the file has it, tells
//    the month too and is stored with them (see AWeekHasPassed);
//  - monthly: when today's month differs from "UpadteMonth".
// A mode whose keys are missing makes no offer and stores nothing.
ScheduleDecision DecideScheduledCheck(int32_t mode, const ScheduleKeys& stored,
                                      const CalendarDay& today);

// Days in the month (1..12) of the year, Gregorian; 0 for a month out of range.
int32_t DaysInMonth(int32_t year, int32_t month);

}  // namespace velmora
