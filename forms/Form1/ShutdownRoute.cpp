#include "ShutdownRoute.h"

namespace form1 {

ShutdownRoute RouteFor(std::string_view winVersion) {
    const auto first = winVersion.find_first_not_of(' ');
    const bool majorFive = first != std::string_view::npos && winVersion[first] == '5';
    return majorFive ? ShutdownRoute::Command : ShutdownRoute::ExitWindowsEx;
}

} // namespace form1
