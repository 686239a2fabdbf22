#pragma once

#include "RegFileStore.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The most an export may hold; a larger file counts as unreadable. The shipped one holds a few
// hundred bytes, and reading far more would hold up the window that asked.
constexpr std::size_t MaxExportBytes = 1024 * 1024;

// Where the machine's export may lie, in the order to try, each place once: nodrell/machine.reg
// in each directory named by XDG_CONFIG_DIRS (absolute ones only), then in /etc/xdg, where the
// package keeps it, also when the variable names other directories only; then in etc/xdg of the
// install that `program` belongs to, the folder above its bin folder. `program` is the running
// program or a link to it, such as /proc/self/exe; when it cannot be resolved, its install has
// no place in the list.
std::vector<std::string> machineRegCandidates(const char* xdgConfigDirs,
                                              const std::string& program);

// The contents of the export at `path`. Nothing when it cannot be opened or read, is no
// regular file (nothing is read from a FIFO or a device) or holds more than MaxExportBytes.
std::optional<std::string> readExportFile(const std::string& path);

// The export in the first of `paths` that can be read. Nothing when none can, or when that one
// is no well-formed export.
std::optional<RegFileStore> loadMachineStore(const std::vector<std::string>& paths);

} // namespace platform
