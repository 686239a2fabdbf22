#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace form1 {

// How the power-off is asked for: Windows of major version 5 have the shutdown command, all
// others (and a failed version detection) get ExitWindowsEx.
enum class ShutdownRoute { Command, ExitWindowsEx };

ShutdownRoute RouteFor(std::string_view winVersion);

// The route as the user is told of it.
std::string RouteName(ShutdownRoute route);

// The route to try when `route` has been refused.
constexpr ShutdownRoute OtherRoute(ShutdownRoute route) {
    return route == ShutdownRoute::Command ? ShutdownRoute::ExitWindowsEx : ShutdownRoute::Command;
}

inline constexpr std::string_view ShutdownCommandLine = "shutdown -s -f -t 0";
inline constexpr int ShowMinimized = 2;
inline constexpr std::uint32_t ShutdownAndForce = 1 | 4;
inline constexpr std::uint32_t AnyReason = 0xFFFFFFFFu;

} // namespace form1
