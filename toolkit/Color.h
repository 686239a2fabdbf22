#pragma once

#include <cstdint>

namespace tk {

// A Windows colour value: red in the lowest byte, green in the next, blue in the third.
// With the high bit set, the low byte is the index of a system colour instead.
using Color = std::uint32_t;

constexpr Color SystemColorFlag = 0x80000000u;
constexpr Color WindowText = 0x80000008u;
constexpr Color ButtonFace = 0x8000000Fu;
constexpr Color Shadow3D = 0x80000010u;
constexpr Color ButtonText = 0x80000012u;

constexpr bool isSystemColor(Color c) {
    return (c & SystemColorFlag) != 0;
}
constexpr int systemColorIndex(Color c) {
    return static_cast<int>(c & 0xFFu);
}
constexpr int red(Color c) {
    return static_cast<int>(c & 0xFFu);
}
constexpr int green(Color c) {
    return static_cast<int>((c >> 8) & 0xFFu);
}
constexpr int blue(Color c) {
    return static_cast<int>((c >> 16) & 0xFFu);
}

} // namespace tk
