#include "ShutdownRoute.h"

namespace form1 {

ShutdownRoute RouteFor(std::string_view winVersion) {
    const auto first = winVersion.find_first_not_of(' ');
    const bool majorFive = first != std::string_view::npos && winVersion[first] == '5';
    return majorFive ? ShutdownRoute::Command : ShutdownRoute::ExitWindowsEx;
}

std::string RouteName(ShutdownRoute route) {
    return route == ShutdownRoute::Command ? "The shutdown command" : "The power-off call";
}

} // namespace form1
