// Prints the viewer's path that the About window's look-up finds through the Linux platform
// layer, or exits with 1 when it finds none. The package test copies this program into an
// installed bin folder, so that the platform looks in that install's configuration.
#include "forms/frmAbout/RegistryReader.h"
#include "forms/frmAbout/SysInfoLauncher.h"
#include "platform/SystemPlatform.h"

#include <cstdio>
#include <string>

int main() {
    platform::SystemPlatform system;
    std::string path;
    if (!about::GetKeyValue(system, platform::registry::LocalMachine, about::ToolPathKey,
                            about::ToolPathValue, path))
        return 1;
    std::puts(path.c_str());
    return 0;
}
