#pragma once

#include "Platform.h"

#include <optional>
#include <string>
#include <string_view>

namespace Module1 {

// The detected Windows version: number part, two blanks and the release name, such as
// "5.1  Windows XP", or the error text. Empty until DetectWinVersion has run.
extern std::string WinVersion;

inline constexpr std::string_view WinVersionError = "Err detecting windows version";

// The release name for a number part such as "4.10", by its first three characters.
std::string_view ReleaseName(std::string_view numberPart);

// What DetectWinVersion leaves in WinVersion for the given answer of the version query.
std::string WinVersionText(const std::optional<platform::VersionNumbers>& version);

void DetectWinVersion(platform::Platform& system);

} // namespace Module1
