#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

// The registry's numbers as the Windows API defines them: root keys, access rights, value
// types and the results of its calls.
namespace platform::registry {

// A handle to an open key: the HKEY on Windows, a number of the platform's own elsewhere.
using Key = std::uintptr_t;

constexpr std::uint32_t ClassesRoot = 0x80000000u;
constexpr std::uint32_t CurrentUser = 0x80000001u;
constexpr std::uint32_t LocalMachine = 0x80000002u;
constexpr std::uint32_t Users = 0x80000003u;
constexpr std::uint32_t CurrentConfig = 0x80000005u;

// KEY_READ: READ_CONTROL, query value, enumerate sub-keys, notify.
constexpr std::uint32_t ReadAccess = 0x00020019u;
// The access bits that pick a 32-bit or 64-bit view; they ask for no right.
constexpr std::uint32_t ViewAccess = 0x00000300u;

constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;

constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long MoreData = 234;

// A value as the ANSI query hands it out: its type and its bytes.
struct Value {
    std::uint32_t type = None;
    std::vector<std::uint8_t> data;
};

// Whether the rights asked for go beyond reading; the keys here are opened for reading only.
constexpr bool asksMoreThanReading(std::uint32_t access) {
    return (access & ~(ReadAccess | ViewAccess)) != 0;
}

// Hands a found value out as the query does: its type and size always, its bytes only when
// both `size` and the buffer have room for them.
inline long copyValue(const Value& value, std::uint32_t& type, std::span<std::uint8_t> data,
                      std::uint32_t& size) {
    const std::size_t room = std::min<std::size_t>(size, data.size());
    type = value.type;
    size = static_cast<std::uint32_t>(value.data.size());
    if (value.data.size() > room) return MoreData;
    std::copy(value.data.begin(), value.data.end(), data.begin());
    return Success;
}

} // namespace platform::registry
