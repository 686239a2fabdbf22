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

// The leading-zero rule turns a blank and a digit into "0 5": the number is read without its
// blanks, as the user meant it.
std::string withoutBlanks(std::string_view text) {
    std::string number;
    for (char c : text)
        if (c != ' ') number += c;
    return number;
}

} // namespace

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

} // namespace form1
