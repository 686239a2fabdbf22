#pragma once

#include <optional>

namespace platform {

struct VersionNumbers {
    unsigned long major = 0;
    unsigned long minor = 0;
};

// The operating-system calls the program makes, so that tests can record them instead.
class Platform {
public:
    virtual ~Platform() = default;

    // The operating system's major and minor version. Nothing when the query cannot be made
    // at all; a query that runs but fails leaves both numbers 0.
    virtual std::optional<VersionNumbers> versionNumbers() = 0;
};

} // namespace platform
