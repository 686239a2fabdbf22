#pragma once

#include <cstddef>
#include <random>
#include <string>

// Random inputs for the property tests, from a fixed seed so that a failure repeats.
class RandomText {
public:
    explicit RandomText(unsigned seed) : engine_(seed) {}

    // A text such as a user might type or paste into a field: digits, blanks, signs, points,
    // letters and stray bytes, mostly short, now and then very long.
    std::string fieldText();
    int below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(engine_); }
    std::mt19937& engine() { return engine_; }

private:
    std::mt19937 engine_;
};

// How many random inputs each property gets: NODRELL_FUZZ_RUNS, or the given default.
std::size_t fuzzRuns(std::size_t byDefault);
