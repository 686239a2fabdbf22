#include "forms/frmAbout/RegistryReader.h"
#include "forms/frmAbout/SysInfoLauncher.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/MachineReg.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A directory of its own for each test, gone afterwards, and the environment as it was.
class LinuxSystemPlatform : public testing::Test {
protected:
    fs::path dir;
    platform::SystemPlatform system;
    std::optional<std::string> configDirsBefore = environment("XDG_CONFIG_DIRS");
    std::optional<std::string> pathBefore = environment("PATH");

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nodrell-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        restore("XDG_CONFIG_DIRS", configDirsBefore);
        restore("PATH", pathBefore);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void write(const fs::path& path, std::string_view text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // XDG_CONFIG_DIRS naming the given directories below `dir`.
    void configDirs(std::initializer_list<const char*> names) {
        std::string value;
        for (const char* name : names) {
            if (!value.empty()) value += ':';
            value += (dir / name).string();
        }
        setenv("XDG_CONFIG_DIRS", value.c_str(), 1);
    }
    bool read(std::string_view key, std::string_view name, std::string& value) {
        return about::GetKeyValue(system, reg::LocalMachine, key, name, value);
    }
};

constexpr std::string_view Export =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
    "\"PATH\"=\"/opt/first/info\"\n";

TEST_F(LinuxSystemPlatform, AnswersTheRegistryFromTheFirstMachineRegFound) {
    write(dir / "b/nodrell/machine.reg", Export);
    write(dir / "c/nodrell/machine.reg",
          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
          "\"PATH\"=\"/opt/second/info\"\n");
    configDirs({"a", "b", "c"});
    std::string value;
    EXPECT_TRUE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
    EXPECT_EQ(value, "/opt/first/info");
    EXPECT_FALSE(read("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", value));
}

TEST_F(LinuxSystemPlatform, ReportsTheRegistrysResults) {
    write(dir / "a/nodrell/machine.reg", Export);
    configDirs({"a"});
    reg::Key key = 0;
    EXPECT_EQ(system.openRegistryKey(reg::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                     0x2003F, key),
              reg::AccessDenied);
    ASSERT_EQ(system.openRegistryKey(reg::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                     reg::ReadAccess, key),
              reg::Success);
    std::array<std::uint8_t, 1024> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = 5;
    EXPECT_EQ(system.queryRegistryValue(key, "PATH", type, buffer, size), reg::MoreData);
    EXPECT_EQ(size, 16u); // "/opt/first/info" and its zero
    size = buffer.size();
    EXPECT_EQ(system.queryRegistryValue(key, "PATH", type, buffer, size), reg::Success);
    EXPECT_EQ(type, reg::Sz);
    system.closeRegistryKey(key);
    EXPECT_EQ(system.queryRegistryValue(key, "PATH", type, buffer, size), reg::InvalidHandle);
}

TEST_F(LinuxSystemPlatform, AMissingOrBrokenFileHoldsNoKeys) {
    configDirs({"none"});
    std::string value = "x";
    // This machine's own file, looked at after the test's directories, would answer.
    if (!fs::exists("/etc/xdg/nodrell/machine.reg")) {
        EXPECT_FALSE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
        EXPECT_EQ(value, "");
    }

    // The first file found counts, also when it is broken.
    write(dir / "a/nodrell/machine.reg", "REGEDIT4\n\"PATH\"=\"/opt/x\"\n");
    write(dir / "b/nodrell/machine.reg", Export);
    configDirs({"a", "b"});
    EXPECT_FALSE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));

    // A directory in the file's place is no file.
    fs::create_directories(dir / "d/nodrell/machine.reg");
    configDirs({"d", "b"});
    EXPECT_TRUE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
    EXPECT_EQ(value, "/opt/first/info");
}

TEST_F(LinuxSystemPlatform, AFileThatCannotBeReadIsPassedOver) {
    write(dir / "b/nodrell/machine.reg", Export);
    const fs::path first = dir / "a/nodrell/machine.reg";
    const std::string passedOver = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared "
                                   "Tools\\MSINFO]\n\"PATH\"=\"/opt/passed/over\"\n";
    std::vector<std::pair<const char*, std::function<void()>>> unreadable{
        {"a FIFO, which nothing writes to", [&] { ASSERT_EQ(mkfifo(first.c_str(), 0600), 0); }},
        {"a device", [&] { fs::create_symlink("/dev/null", first); }},
        {"a link to itself", [&] { fs::create_symlink(first, first); }},
        {"over 1 MiB",
         [&] { write(first, passedOver + std::string(platform::MaxExportBytes, ';')); }},
    };
    if (geteuid() != 0) // root reads any file whatever its mode
        unreadable.push_back({"without read permission", [&] {
                                  write(first, passedOver);
                                  fs::permissions(first, fs::perms::none);
                              }});
    for (const auto& [what, make] : unreadable) {
        SCOPED_TRACE(what);
        fs::create_directories(first.parent_path());
        fs::remove(first);
        make();
        configDirs({"a", "b"});
        std::string value;
        EXPECT_TRUE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
        EXPECT_EQ(value, "/opt/first/info");
    }
}

TEST_F(LinuxSystemPlatform, ASystemInfoPressReadsTheFileOnce) {
    // Only the folder is registered, so the press makes both look-ups.
    const fs::path file = dir / "a/nodrell/machine.reg";
    write(file, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n"
                "\"MSINFO\"=\"" +
                    dir.string() + "\"\n");
    configDirs({"a"});
    // Opening and closing alternate, so that no two events in a row are merged.
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, file.c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
    EXPECT_FALSE(about::FindAndStartSysInfo(system)); // no MSINFO32.EXE in it
    std::array<inotify_event, 8> events{};            // a watched file's events carry no name
    const ssize_t size = ::read(watch, events.data(), sizeof events);
    close(watch);
    ASSERT_EQ(size, static_cast<ssize_t>(2 * sizeof(inotify_event)));
    EXPECT_TRUE(events[0].mask & IN_OPEN);
}

TEST_F(LinuxSystemPlatform, TheShippedFileNamesAViewer) {
    write(dir / "a/nodrell/machine.reg", contents(NODRELL_MACHINE_REG));
    configDirs({"a"});
    std::string value;
    EXPECT_TRUE(read("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
    EXPECT_EQ(value.front(), '/');
}

TEST_F(LinuxSystemPlatform, AProgramReachedThroughALinkKeepsItsOwnInstall) {
    write(dir / "install/bin/nodrell", "program");
    fs::create_symlink(dir / "install/bin/nodrell", dir / "nodrell");
    EXPECT_EQ(platform::machineRegCandidates("/opt/a", (dir / "nodrell").string()),
              (std::vector<std::string>{
                  "/opt/a/nodrell/machine.reg", "/etc/xdg/nodrell/machine.reg",
                  (fs::canonical(dir) / "install/etc/xdg/nodrell/machine.reg").string()}));
}

TEST_F(LinuxSystemPlatform, FileExistsOnlyForOrdinaryFiles) {
    write(dir / "tool", "x");
    fs::create_directories(dir / "folder");
    fs::create_symlink(dir / "tool", dir / "link");
    EXPECT_TRUE(system.fileExists((dir / "tool").string()));
    EXPECT_TRUE(system.fileExists((dir / "link").string()));
    EXPECT_FALSE(system.fileExists((dir / "folder").string()));
    EXPECT_FALSE(system.fileExists((dir / "missing").string()));
    EXPECT_FALSE(system.fileExists(""));
}

// Whether the process has a child left, a zombie included.
bool anyChildLeft() {
    return !(waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
}

bool waitForFile(const fs::path& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

TEST_F(LinuxSystemPlatform, StartsAProgramByItsPathWithoutWaitingOrZombies) {
    // A path with a blank and a semicolon: no shell ever sees it.
    const fs::path program = dir / "my tool;x";
    const fs::path seen = dir / "seen";
    write(program,
          "#!/bin/sh\nsleep 0.5\nprintf '%s|%s' \"$0\" \"$#\" > \"" + seen.string() + "\"\n");
    fs::permissions(program, fs::perms::owner_all);

    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(system.startProgram(program.string(), 1));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(400));
    EXPECT_FALSE(anyChildLeft());
    ASSERT_TRUE(waitForFile(seen));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(contents(seen), program.string() + "|0");
}

TEST_F(LinuxSystemPlatform, AStartThatCannotRunFails) {
    EXPECT_FALSE(system.startProgram((dir / "missing").string(), 1));
    EXPECT_FALSE(system.startProgram("", 1));
    write(dir / "not-executable", "#!/bin/sh\n");
    EXPECT_FALSE(system.startProgram((dir / "not-executable").string(), 1));
    fs::create_directories(dir / "folder");
    EXPECT_FALSE(system.startProgram((dir / "folder").string(), 1));
    EXPECT_FALSE(anyChildLeft());
}

TEST_F(LinuxSystemPlatform, TheLauncherStartsTheRegisteredViewer) {
    const fs::path viewer = dir / "viewer";
    const fs::path seen = dir / "seen";
    write(viewer, "#!/bin/sh\ntouch \"" + seen.string() + "\"\n");
    fs::permissions(viewer, fs::perms::owner_all);
    write(dir / "a/nodrell/machine.reg",
          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
          "\"PATH\"=\"" +
              viewer.string() + "\"\n");
    configDirs({"a"});
    EXPECT_TRUE(about::FindAndStartSysInfo(system));
    EXPECT_TRUE(waitForFile(seen));

    write(dir / "a/nodrell/machine.reg",
          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
          "\"PATH\"=\"" +
              (dir / "gone").string() + "\"\n");
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
}

TEST_F(LinuxSystemPlatform, OpensTheAddressWithTheDesktopsOpenerAsOneArgument) {
    const fs::path seen = dir / "seen";
    write(dir / "bin/xdg-open",
          "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" + seen.string() + "\"\n");
    fs::permissions(dir / "bin/xdg-open", fs::perms::owner_all);
    setenv("PATH", (dir / "bin").c_str(), 1);
    EXPECT_TRUE(system.openInShell("https://nodrell.example.org/a b;$(x)"));
    ASSERT_TRUE(waitForFile(seen));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(contents(seen), "1|https://nodrell.example.org/a b;$(x)");
    EXPECT_FALSE(anyChildLeft());

    // A desktop without the opener says so.
    setenv("PATH", (dir / "none").c_str(), 1);
    EXPECT_FALSE(system.openInShell("https://nodrell.example.org/"));
}

} // namespace
