#include "platform/foundation/NSCalendar.h"

#include <chrono>
#include <cmath>

#include "platform/foundation/Process.h"
#include "platform/foundation/RunLoop.h"

namespace ios {

namespace {

// Seconds from 1970-01-01 to the reference date 2001-01-01 (UTC).
constexpr double kReferenceDateOffset = 978307200.0;

// The wall-clock time at media-clock 0, fixed once per process and kept to whole seconds so
// that date arithmetic on whole-second intervals stays exact.
struct ClockEpoch {
    double referenceSecondsAtZero;
    ClockEpoch() {
        double wall = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        double now = Process::current() ? Process::current()->runLoop().now() : 0;
        referenceSecondsAtZero = std::floor(wall - kReferenceDateOffset - now);
    }
};

}  // namespace

Date NSDate::date() {
    if (Process* process = Process::current()) {
        const ClockEpoch& epoch = process->attached<ClockEpoch>();
        return Date{epoch.referenceSecondsAtZero + process->runLoop().now()};
    }
    double wall = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return Date{wall - kReferenceDateOffset};
}

Date NSDate::dateWithTimeIntervalSinceNow(double seconds) { return Date{date().secondsSinceReferenceDate + seconds}; }

NSDateComponents NSCalendar::components(unsigned units, Date from, Date to, unsigned) const {
    NSDateComponents out;
    double difference = to.secondsSinceReferenceDate - from.secondsSinceReferenceDate;
    if (!std::isfinite(difference)) difference = 0;
    // Dates are kept to the microsecond, so the subtraction's rounding noise doesn't cost a unit.
    double micro = std::round(std::fabs(difference) * 1e6);
    std::int64_t sign = difference < 0 ? -1 : 1;
    // Whole seconds, capped far beyond any calendar range so the integer can't overflow.
    double wholeSeconds = std::floor(std::fmin(micro / 1e6, 9.0e15));
    auto remaining = static_cast<std::int64_t>(wholeSeconds);
    auto take = [&](unsigned unit, std::int64_t size, std::optional<std::int64_t>& field) {
        if (!(units & unit)) return;
        field = sign * (remaining / size);
        remaining %= size;
    };
    take(NSCalendarUnitDay, 86400, out.day);
    take(NSCalendarUnitHour, 3600, out.hour);
    take(NSCalendarUnitMinute, 60, out.minute);
    take(NSCalendarUnitSecond, 1, out.second);
    return out;
}

}  // namespace ios
