#include "RandomText.h"

#include <cstdlib>
#include <string_view>

std::string RandomText::fieldText() {
    static constexpr std::string_view alphabet = "0123456789012345678901234567    +-.eE,xX\t&h";
    const int length = below(10) == 0 ? below(500) : below(5);
    std::string text;
    for (int i = 0; i < length; ++i) {
        if (below(12) == 0)
            text += static_cast<char>(below(256)); // any byte, the zero byte and UTF-8 parts too
        else
            text += alphabet[static_cast<std::size_t>(below(static_cast<int>(alphabet.size())))];
    }
    return text;
}

std::size_t fuzzRuns(std::size_t byDefault) {
    const char* runs = std::getenv("NODRELL_FUZZ_RUNS");
    if (!runs || !*runs) return byDefault;
    return static_cast<std::size_t>(std::strtoull(runs, nullptr, 10));
}
