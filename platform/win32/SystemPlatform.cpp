#include "platform/SystemPlatform.h"

#include <windows.h>

namespace platform {

std::optional<VersionNumbers> SystemPlatform::versionNumbers() {
    // Looked up at run time, so that a system without the call counts as a failed query.
    using GetVersionExAFn = BOOL(WINAPI*)(OSVERSIONINFOA*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto getVersionEx = kernel ? reinterpret_cast<GetVersionExAFn>(reinterpret_cast<void*>(
                                     GetProcAddress(kernel, "GetVersionExA")))
                               : nullptr;
    if (!getVersionEx) return std::nullopt;

    OSVERSIONINFOA info{};
    static_assert(sizeof info == 148);
    info.dwOSVersionInfoSize = sizeof info;
    getVersionEx(&info); // a refusal leaves the zero-filled record
    return VersionNumbers{info.dwMajorVersion, info.dwMinorVersion};
}

} // namespace platform
