#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Registry names compare without regard to case, as Windows compares them.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// A key's values by name; the unnamed default value has the empty name.
using RegValues = std::map<std::string, registry::Value, NoCaseLess>;

// Registry keys and values as an export file of the Windows registry editor lists them, so
// that a system without a registry can answer the program's look-ups from such a file. The
// values are kept as the ANSI query hands them out; texts are UTF-8.
class RegFileStore {
public:
    // Reads an export that starts "Windows Registry Editor Version 5.00" or "REGEDIT4", in
    // UTF-16 with its byte-order mark or in 8-bit text. Nothing when it is not a well-formed
    // export; `error` then tells the line and what is wrong with it.
    static std::optional<RegFileStore> parse(std::string_view file, std::string* error = nullptr);

    // As RegOpenKeyExA: the values of `subKey` below `root`. A key exists when the file
    // lists it or a key below it. The store is read only: asking for more than reading
    // is refused.
    long openKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                 RegValues& values) const;

    // Every key listed, by its full path, such as "HKEY_LOCAL_MACHINE\SOFTWARE\Example".
    const std::map<std::string, RegValues, NoCaseLess>& keys() const { return keys_; }

private:
    std::map<std::string, RegValues, NoCaseLess> keys_;
};

// As RegQueryValueExA on an open key: writes at most `size` bytes of the value into `data`
// and leaves its type and length in `type` and `size`. registry::MoreData when it does not
// fit, registry::FileNotFound when there is no such value.
long queryValue(const RegValues& values, std::string_view name, std::uint32_t& type,
                std::span<std::uint8_t> data, std::uint32_t& size);

} // namespace platform
