#include "Main.h"

#include "forms/shared/Version.h"
#include "platform/SystemPlatform.h"
#include "toolkit/Program.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (const auto reason = tk::missingDisplay()) {
        const std::string line = "Nodrell cannot open its window: " + *reason + ".\n";
        std::fputs(line.c_str(), stderr);
        return 1;
    }
    tk::Application application(argc, argv, project::DesktopId);
    tk::SystemClock clock;
    platform::SystemPlatform system;
    const auto form1 = Module1::Main(clock, system);
    return application.run();
}
