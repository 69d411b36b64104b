#pragma once
// Dates on the process's clock and the calendar's component difference between two of them.
//
// "Now" is the wall-clock time at which the process's media clock read 0, plus the media clock,
// so dates move exactly with the run loop (tests advance it; the live simulator drives it). The
// calendar counts days of 24 hours: the difference in days, hours and minutes is plain
// arithmetic, without daylight-saving steps.

#include <cstdint>
#include <optional>

#include "platform/foundation/Value.h"

namespace ios {

class NSDate {
public:
    static Date date();
    static Date dateWithTimeIntervalSinceNow(double seconds);
    static double timeIntervalBetween(Date later, Date earlier) {
        return later.secondsSinceReferenceDate - earlier.secondsSinceReferenceDate;
    }
};

enum NSCalendarUnit : unsigned {
    NSCalendarUnitDay = 16,
    NSCalendarUnitHour = 32,
    NSCalendarUnitMinute = 64,
    NSCalendarUnitSecond = 128,
};

// Components not asked for stay none.
struct NSDateComponents {
    std::optional<std::int64_t> day;
    std::optional<std::int64_t> hour;
    std::optional<std::int64_t> minute;
    std::optional<std::int64_t> second;
};

class NSCalendar {
public:
    static NSCalendar currentCalendar() { return {}; }
    // Splits to - from into the asked units, largest first, each a whole number (truncated
    // toward zero; negative when `to` is earlier). Units other than day, hour, minute and second
    // are not offered and are ignored.
    NSDateComponents components(unsigned units, Date from, Date to, unsigned options = 0) const;
};

}  // namespace ios
