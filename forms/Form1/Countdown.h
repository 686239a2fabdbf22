#pragma once

#include "toolkit/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the countdown window works out, in plain functions: the texts it shows, how it reads
// the time fields, the time left, the late tick and the route of the power-off.
namespace form1 {

// A time of day as "hh:mm:ss", 24-hour clock, two digits each.
std::string FormatTime(const tk::TimeOfDay& time);

// The line kept in Frame1: "Shutdown v", the version number, " - Windows version " and the
// Windows version text without its leading blanks.
std::string VersionLine(int major, int minor, int revision, std::string_view winVersion);

// A field's text read as a number, its blanks left out: an optional sign, digits and an
// optional decimal fraction. A text without a leading number counts as 0.
double NumberOf(std::string_view text);

// The leading-zero rule: a text that is one character long once its surrounding spaces are
// removed gets "0" in front of it, spaces included. Nothing for every other text.
std::optional<std::string> WithLeadingZero(std::string_view text);

// The range check of one field: true when the text is empty or, its blanks left out, a whole
// number with an optional sign from 0 up to but not including `limit`.
bool InRange(std::string_view text, int limit);

inline constexpr int HoursLimit = 24;
inline constexpr int MinutesLimit = 60;
inline constexpr int SecondsLimit = 60;

// The time left from `now` until the target time of day held in the three field texts, as
// "hh:mm:ss": the target minus now, modulo one day, worked out part by part with borrows.
// Any field text gives a well-formed result.
std::string TimeLeftText(std::string_view hours, std::string_view minutes, std::string_view seconds,
                         const tk::TimeOfDay& now);

// The time left in the target second.
inline constexpr std::string_view NoTimeLeft = "00:00:00";

// What a tick reads: the local time of day and, beside it, the system clock in UTC and the
// monotonic clock, in milliseconds.
struct TickReading {
    tk::TimeOfDay time;
    std::int64_t utc = 0;
    std::int64_t monotonic = 0;
};

// Whether the target second of the three field texts fell between the ticks `last` and
// `now`: some local second after `last` and before `now` would have shown no time left. It
// counts only when the program was merely late: the ticks lie at most a minute apart and the
// UTC clock advanced as the monotonic clock did, within a second (a clock set past the target,
// or a machine that slept through it, does not count). The local clock may have jumped
// forward meanwhile, as at the spring change of daylight-saving time; a jump back leaves
// nothing passed.
bool TargetPassedUnseen(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        const TickReading& last, const TickReading& now);

// How the power-off is asked for: Windows of major version 5 have the shutdown command, all
// others (and a failed version detection) get ExitWindowsEx.
enum class ShutdownRoute { Command, ExitWindowsEx };

ShutdownRoute RouteFor(std::string_view winVersion);

// The route as the user is told of it.
std::string RouteName(ShutdownRoute route);

// The route to try when `route` has been refused.
constexpr ShutdownRoute OtherRoute(ShutdownRoute route) {
    return route == ShutdownRoute::Command ? ShutdownRoute::ExitWindowsEx : ShutdownRoute::Command;
}

inline constexpr std::string_view ShutdownCommandLine = "shutdown -s -f -t 0";
inline constexpr int ShowMinimized = 2;
inline constexpr std::uint32_t ShutdownAndForce = 1 | 4;
inline constexpr std::uint32_t AnyReason = 0xFFFFFFFFu;

} // namespace form1
