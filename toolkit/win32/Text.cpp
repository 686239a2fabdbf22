#include "Text.h"

#include <algorithm>
#include <climits>

namespace tk::win32 {

namespace {

bool isLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

int clampedSize(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

} // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = clampedSize(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), units);
    return result;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = clampedSize(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

int unitsToChars(std::wstring_view text, int units) {
    const std::size_t end = std::min(text.size(), static_cast<std::size_t>(std::max(units, 0)));
    int chars = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (!isLowSurrogate(text[i])) ++chars;
    return chars;
}

int charsToUnits(std::wstring_view text, int chars) {
    std::size_t i = 0;
    for (int seen = 0; i < text.size(); ++i) {
        if (!isLowSurrogate(text[i])) {
            if (seen == chars) break;
            ++seen;
        }
    }
    return clampedSize(i);
}

} // namespace tk::win32
