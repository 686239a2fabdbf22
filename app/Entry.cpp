#include "Main.h"

#include "platform/SystemPlatform.h"
#include "toolkit/Program.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (const auto reason = tk::missingDisplay()) {
        std::fprintf(stderr, "Nodrell cannot open its window: %s.\n", reason->c_str());
        return 1;
    }
    tk::Application application(argc, argv);
    tk::SystemClock clock;
    platform::SystemPlatform system;
    const auto form1 = Module1::Main(clock, system);
    return application.run();
}
