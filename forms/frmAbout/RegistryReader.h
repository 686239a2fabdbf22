#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace about {

// The buffer a value is read into; a longer value counts as missing.
constexpr std::size_t ValueBufferSize = 1024;

// Reads the value `SubKeyRef` of the key `KeyName` below `KeyRoot` into `KeyVal` as text:
// REG_SZ as it is, REG_DWORD as its number; a value of another type counts as read and
// leaves `KeyVal` as it was. False, with `KeyVal` empty, when the key or the value cannot
// be read. The key is closed again whatever happens.
bool GetKeyValue(platform::Platform& system, std::uint32_t KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, std::string& KeyVal);

// The bytes the query wrote, one character each, less a zero that ends them.
std::string DataText(std::span<const std::uint8_t> buffer, std::uint32_t size);

// The hexadecimal digits of a REG_DWORD's text: the bytes from the last to the first, two
// upper-case digits each, so that the least significant byte comes last.
std::string HexDigits(std::string_view dataText);

// What formatting makes of a text such as "&h4D3C2B1A": the number in decimal digits. A
// text that denotes no number stays as it is.
std::string GeneralFormat(std::string_view text);

} // namespace about
