#include "TimeText.h"

namespace form1 {

namespace {

void appendTwoDigits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
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

} // namespace form1
