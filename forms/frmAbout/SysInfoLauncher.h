#pragma once

#include "platform/Platform.h"

#include <string_view>

namespace about {

// Where the System Information tool is registered, below HKEY_LOCAL_MACHINE: first its full
// path, then the folder that holds it.
inline constexpr std::string_view ToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::string_view ToolPathValue = "PATH";
inline constexpr std::string_view ToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::string_view ToolFolderValue = "MSINFO";
inline constexpr std::string_view ToolFileName = "\\MSINFO32.EXE";

// A normal, activated window.
constexpr int ShowNormal = 1;

inline constexpr std::string_view SysInfoUnavailable =
    "System Information Is Unavailable At This Time";

// Finds the System Information tool through the registry and starts it. False when it is
// registered nowhere, missing from its folder, or cannot be started.
bool FindAndStartSysInfo(platform::Platform& system);

} // namespace about
