#include "FieldText.h"

#include <cstdlib>

namespace form1 {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

double NumberOf(std::string_view text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) return 0;
    std::string number;
    if (text[at] == '+' || text[at] == '-') number += text[at++];
    while (at < text.size() && isDigit(text[at]))
        number += text[at++];
    if (at < text.size() && text[at] == '.') {
        number += text[at++];
        while (at < text.size() && isDigit(text[at]))
            number += text[at++];
    }
    // strtod reads exactly the prefix collected above; "-", "." and "-." give 0.
    return std::strtod(number.c_str(), nullptr);
}

std::optional<std::string> WithLeadingZero(std::string_view text) {
    if (trimSpaces(text).size() != 1) return std::nullopt;
    return "0" + std::string(text);
}

bool InRange(std::string_view text, int limit) {
    std::string_view number = trimSpaces(text);
    if (text.empty()) return true;
    if (!number.empty() && (number.front() == '+' || number.front() == '-'))
        number.remove_prefix(1);
    if (number.empty()) return false;
    long value = 0;
    for (char c : number) {
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
        if (value > limit) break; // far enough to decide, and no overflow
    }
    const bool negative = trimSpaces(text).front() == '-';
    return value == 0 || (!negative && value < limit);
}

} // namespace form1
