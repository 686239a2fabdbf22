#include "FieldText.h"

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
