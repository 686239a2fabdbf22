#include "Countdown.h"

#include "forms/shared/VersionNumber.h"

#include <cmath>
#include <cstdlib>

namespace form1 {

namespace {

constexpr int Day = 86400;
constexpr std::int64_t Second = 1000;
// How far apart the UTC and monotonic clocks may run between two ticks of a program that was
// merely late, and how late it may be.
constexpr std::int64_t Tolerance = Second;
constexpr std::int64_t LongestDelay = 60 * Second;

void appendTwoDigits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The leading-zero rule turns a blank and a digit into "0 5": the number is read without its
// blanks, as the user meant it.
std::string withoutBlanks(std::string_view text) {
    std::string number;
    for (char c : text)
        if (c != ' ') number += c;
    return number;
}

// The absolute value brought to a whole number, halves to the even neighbour, then the
// remainder by `modulus`. Working in doubles keeps any field value, however large, in range.
int wrappedPart(double value, int modulus) {
    const double whole = std::nearbyint(std::fabs(value));
    if (!std::isfinite(whole)) return 0;
    return static_cast<int>(std::fmod(whole, modulus));
}

int secondOfDay(const tk::TimeOfDay& time) {
    return (time.hours * 60 + time.minutes) * 60 + time.seconds;
}

tk::TimeOfDay timeAt(int secondOfDay) {
    return {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60};
}

} // namespace

std::string FormatTime(const tk::TimeOfDay& time) {
    std::string text;
    appendTwoDigits(text, time.hours);
    text += ':';
    appendTwoDigits(text, time.minutes);
    text += ':';
    appendTwoDigits(text, time.seconds);
    return text;
}

std::string VersionLine(int major, int minor, int revision, std::string_view winVersion) {
    const auto firstNonBlank = winVersion.find_first_not_of(' ');
    const std::string_view version = firstNonBlank == std::string_view::npos
                                         ? std::string_view{}
                                         : winVersion.substr(firstNonBlank);
    std::string line =
        "Shutdown v" + project::VersionNumber(major, minor, revision) + " - Windows version ";
    line += version;
    return line;
}

double NumberOf(std::string_view field) {
    const std::string text = withoutBlanks(field);
    if (text.empty()) return 0;
    std::size_t at = 0;
    const bool negative = text[at] == '-';
    if (text[at] == '+' || text[at] == '-') ++at;
    double whole = 0;
    while (at < text.size() && isDigit(text[at]))
        whole = whole * 10 + (text[at++] - '0');
    // The fraction's first fifteen digits as one whole number over a power of ten: both are
    // exact, so the one division rounds once, and halves stay exactly halves.
    double digits = 0, scale = 1;
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && isDigit(text[at]); ++at)
            if (scale < 1e15) {
                digits = digits * 10 + (text[at] - '0');
                scale *= 10;
            }
    const double value = whole + digits / scale;
    return negative ? -value : value;
}

std::optional<std::string> WithLeadingZero(std::string_view text) {
    if (trimSpaces(text).size() != 1) return std::nullopt;
    std::string padded = "0";
    padded += text;
    return padded;
}

bool InRange(std::string_view field, int limit) {
    if (field.empty()) return true;
    const std::string text = withoutBlanks(field);
    std::string_view number = text;
    const bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '+' || number.front() == '-'))
        number.remove_prefix(1);
    if (number.empty()) return false;
    long value = 0;
    for (char c : number) {
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
        if (value > limit) break; // far enough to decide, and no overflow
    }
    return value == 0 || (!negative && value < limit);
}

std::string TimeLeftText(std::string_view hours, std::string_view minutes, std::string_view seconds,
                         const tk::TimeOfDay& now) {
    const int secondsLeft = wrappedPart(NumberOf(seconds) - now.seconds + 60, 60);
    const int secondsBorrow = now.seconds > NumberOf(seconds) ? 1 : 0;
    const int minutesLeft = wrappedPart(NumberOf(minutes) - now.minutes + 60 - secondsBorrow, 60);
    const int minutesBorrow = now.minutes + secondsBorrow > NumberOf(minutes) ? 1 : 0;
    const int hoursLeft = wrappedPart(NumberOf(hours) - now.hours + 24 - minutesBorrow, 24);
    return FormatTime({hoursLeft, minutesLeft, secondsLeft});
}

bool TargetPassedUnseen(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        const TickReading& last, const TickReading& now) {
    const std::int64_t elapsed = now.monotonic - last.monotonic;
    if (elapsed > LongestDelay || std::llabs(now.utc - last.utc - elapsed) > Tolerance)
        return false;
    const int from = secondOfDay(last.time);
    // Forward from the last tick, across midnight if need be. A local clock put back, as at
    // the autumn change, went almost a whole day forward this way.
    const int advanced = (secondOfDay(now.time) - from + Day) % Day;
    if (advanced > Day / 2) return false;
    for (int second = 1; second < advanced; ++second)
        if (TimeLeftText(hours, minutes, seconds, timeAt((from + second) % Day)) == NoTimeLeft)
            return true;
    return false;
}

ShutdownRoute RouteFor(std::string_view winVersion) {
    const auto first = winVersion.find_first_not_of(' ');
    const bool majorFive = first != std::string_view::npos && winVersion[first] == '5';
    return majorFive ? ShutdownRoute::Command : ShutdownRoute::ExitWindowsEx;
}

std::string RouteName(ShutdownRoute route) {
    return route == ShutdownRoute::Command ? "The shutdown command" : "The power-off call";
}

} // namespace form1
