#pragma once

#include "Platform.h"

namespace platform {

// Stands in for the operating system in tests: answers from its fields and records every
// request, so that nothing reaches the real system.
class RecordingPlatform final : public Platform {
public:
    std::optional<VersionNumbers> version = VersionNumbers{6, 1};
    int versionQueries = 0;

    std::optional<VersionNumbers> versionNumbers() override {
        ++versionQueries;
        return version;
    }
};

} // namespace platform
