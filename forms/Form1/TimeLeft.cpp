#include "TimeLeft.h"

#include "FieldText.h"
#include "TimeText.h"

#include <cmath>

namespace form1 {

namespace {

// The absolute value brought to a whole number, halves to the even neighbour, then the
// remainder by `modulus`. Working in doubles keeps any field value, however large, in range.
int WrappedPart(double value, int modulus) {
    const double whole = std::nearbyint(std::fabs(value));
    if (!std::isfinite(whole)) return 0;
    return static_cast<int>(std::fmod(whole, modulus));
}

} // namespace

std::string TimeLeftText(std::string_view hours, std::string_view minutes, std::string_view seconds,
                         const tk::TimeOfDay& now) {
    const int secondsLeft = WrappedPart(NumberOf(seconds) - now.seconds + 60, 60);
    const int secondsBorrow = now.seconds > NumberOf(seconds) ? 1 : 0;
    const int minutesLeft = WrappedPart(NumberOf(minutes) - now.minutes + 60 - secondsBorrow, 60);
    const int minutesBorrow = now.minutes + secondsBorrow > NumberOf(minutes) ? 1 : 0;
    const int hoursLeft = WrappedPart(NumberOf(hours) - now.hours + 24 - minutesBorrow, 24);
    return FormatTime({hoursLeft, minutesLeft, secondsLeft});
}

} // namespace form1
