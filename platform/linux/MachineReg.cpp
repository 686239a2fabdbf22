#include "MachineReg.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Closes the file on every way out.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {}
    ~OpenFile() { close(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

private:
    int fd_;
};

} // namespace

std::vector<std::string> machineRegCandidates(const char* xdgConfigDirs,
                                              const std::string& program) {
    std::vector<std::string> paths;
    // Written alike, "/etc/xdg/" and "/etc//xdg" are one place.
    const auto add = [&paths](const std::filesystem::path& dir) {
        std::string path = ((dir / "").lexically_normal() / "nodrell/machine.reg").string();
        if (std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(std::move(path));
    };
    std::string_view dirs = xdgConfigDirs != nullptr ? xdgConfigDirs : "";
    while (!dirs.empty()) {
        const auto end = dirs.find(':');
        const std::filesystem::path dir(dirs.substr(0, end));
        // Relative entries do not count.
        if (dir.is_absolute()) add(dir);
        if (end == std::string_view::npos) break;
        dirs.remove_prefix(end + 1);
    }
    add("/etc/xdg");
    // The program's real place, links resolved: a link in another folder does not move the
    // install it belongs to.
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(program, error);
    if (!error) add(resolved.parent_path().parent_path() / "etc/xdg");
    return paths;
}

std::optional<std::string> readExportFile(const std::string& path) {
    // Opened without waiting, so that a FIFO in the file's place cannot hold the window up;
    // what the open file turns out to be decides whether it is read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    const OpenFile file(fd);
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uintmax_t>(status.st_size) > MaxExportBytes)
        return std::nullopt;

    // The size is checked again as the file is read: it may grow meanwhile.
    std::string contents;
    std::array<char, 16384> chunk;
    for (;;) {
        const ssize_t got = read(fd, chunk.data(), chunk.size());
        if (got == 0) return contents;
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        contents.append(chunk.data(), static_cast<std::size_t>(got));
        if (contents.size() > MaxExportBytes) return std::nullopt;
    }
}

std::optional<RegFileStore> loadMachineStore(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (const auto contents = readExportFile(path)) return RegFileStore::parse(*contents);
    return std::nullopt;
}

} // namespace platform
