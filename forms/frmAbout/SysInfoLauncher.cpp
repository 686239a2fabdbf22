#include "SysInfoLauncher.h"

#include "RegistryReader.h"

#include <exception>
#include <string>
#include <utility>

namespace about {

bool FindAndStartSysInfo(platform::Platform& system) {
    try {
        std::string path;
        if (!GetKeyValue(system, platform::registry::LocalMachine, ToolPathKey, ToolPathValue,
                         path)) {
            if (!GetKeyValue(system, platform::registry::LocalMachine, ToolFolderKey,
                             ToolFolderValue, path))
                return false;
            // Joined as they are: a folder that ends in a backslash gives two in a row.
            std::string tool = path + std::string(ToolFileName);
            if (!system.fileExists(tool)) return false;
            path = std::move(tool);
        }
        return system.startProgram(path, ShowNormal);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace about
