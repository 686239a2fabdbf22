#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace form1 {

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

} // namespace form1
