#include "RegistryReader.h"

#include "platform/HexDigit.h"

#include <algorithm>
#include <array>

namespace about {

namespace reg = platform::registry;
using platform::hexValue;

namespace {

// Closes the key on every way out, an exception from the platform included.
class OpenKey {
public:
    OpenKey(platform::Platform& system, reg::Key key) : system_(system), key_(key) {}
    ~OpenKey() { system_.closeRegistryKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    platform::Platform& system_;
    reg::Key key_;
};

} // namespace

bool GetKeyValue(platform::Platform& system, std::uint32_t KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, std::string& KeyVal) {
    reg::Key key = 0;
    // Read rights only: the program writes nothing here, and write rights on this root are
    // refused to everyone but administrators, which would hide the value from other users.
    if (system.openRegistryKey(KeyRoot, KeyName, reg::ReadAccess, key) != reg::Success) {
        KeyVal.clear();
        return false;
    }
    const OpenKey open(system, key);

    std::array<std::uint8_t, ValueBufferSize> buffer{};
    std::uint32_t size = ValueBufferSize;
    std::uint32_t type = reg::None;
    if (system.queryRegistryValue(key, SubKeyRef, type, buffer, size) != reg::Success) {
        KeyVal.clear();
        return false;
    }

    const std::string text = DataText(buffer, size);
    if (type == reg::Sz)
        KeyVal = text;
    else if (type == reg::Dword)
        KeyVal = GeneralFormat("&h" + KeyVal + HexDigits(text));
    return true;
}

std::string DataText(std::span<const std::uint8_t> buffer, std::uint32_t size) {
    std::size_t length = std::min<std::size_t>(size, buffer.size());
    if (length >= 1 && buffer[length - 1] == 0) --length;
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

std::string HexDigits(std::string_view dataText) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string digits;
    for (auto at = dataText.rbegin(); at != dataText.rend(); ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        digits += Digits[byte >> 4];
        digits += Digits[byte & 0x0F];
    }
    return digits;
}

std::string GeneralFormat(std::string_view text) {
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'h' && text[1] != 'H')) {
        return std::string(text);
    }
    const std::string_view digits = text.substr(2);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return hexValue(c) >= 0; }))
        return std::string(text);

    // Decimal digits, least significant first; as many as the number needs.
    std::string decimal{'\0'};
    for (const char digit : digits) {
        int carry = hexValue(digit);
        for (char& place : decimal) {
            const int value = place * 16 + carry;
            place = static_cast<char>(value % 10);
            carry = value / 10;
        }
        for (; carry > 0; carry /= 10)
            decimal += static_cast<char>(carry % 10);
    }
    while (decimal.size() > 1 && decimal.back() == '\0')
        decimal.pop_back();
    std::string result;
    for (auto at = decimal.rbegin(); at != decimal.rend(); ++at)
        result += static_cast<char>('0' + *at);
    return result;
}

} // namespace about
