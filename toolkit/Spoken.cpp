#include "Spoken.h"

#include <algorithm>

namespace tk {

namespace {

bool isBreak(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string spokenText(std::string_view caption) {
    std::string spoken;
    bool gap = false;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (isBreak(c)) {
            gap = !spoken.empty();
            continue;
        }
        if (c == '&') {
            if (i + 1 == caption.size() || caption[i + 1] != '&') continue;
            ++i;
        }
        if (gap) spoken += ' ';
        gap = false;
        spoken += c;
    }
    return spoken;
}

std::string leadingPhrase(std::string_view caption) {
    const std::size_t start = std::min(caption.find_first_not_of(' '), caption.size());
    std::size_t end = start;
    while (end < caption.size() && caption[end] != '\n' && caption[end] != '\r' &&
           caption.compare(end, 2, "  ") != 0)
        ++end;
    return spokenText(caption.substr(start, end - start));
}

} // namespace tk
