#include "SysInfoLauncher.h"

#include "RegistryReader.h"

#include <exception>
#include <string>

namespace about {

bool FindAndStartSysInfo(platform::Platform& system) {
    try {
        // The two look-ups read the registry as it is at the press.
        const platform::RegistryLookups lookups(system);
        std::string path;
        if (!GetKeyValue(system, platform::registry::LocalMachine, ToolPathKey, ToolPathValue,
                         path)) {
            if (!GetKeyValue(system, platform::registry::LocalMachine, ToolFolderKey,
                             ToolFolderValue, path))
                return false;
            // Joined as they are: a folder that ends in a backslash gives two in a row.
            path += ToolFileName;
            if (!system.fileExists(path)) return false;
        }
        return system.startProgram(path, ShowNormal);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace about
