#include "forms/frmAbout/SysInfoLauncher.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

namespace reg = platform::registry;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* PathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

Bytes text(std::string_view value) {
    Bytes bytes(value.begin(), value.end());
    bytes.push_back(0);
    return bytes;
}

class SysInfoLauncher : public testing::Test {
protected:
    platform::RecordingPlatform system;

    void registerPath(std::string_view path) {
        system.machineKeys[PathKey]["PATH"] = {reg::Sz, text(path)};
    }
    void registerFolder(std::string_view folder) {
        system.machineKeys[FolderKey]["MSINFO"] = {reg::Sz, text(folder)};
    }
    std::vector<std::string> keysOpened() const {
        std::vector<std::string> keys;
        for (const auto& opening : system.keysOpened)
            keys.push_back(opening.subKey);
        return keys;
    }
};

TEST_F(SysInfoLauncher, StartsThePathOfTheFirstLocationAsItIs) {
    registerPath("C:\\Program Files\\Common Files\\System\\MSINFO32.EXE");
    registerFolder("C:\\Elsewhere");
    EXPECT_TRUE(about::FindAndStartSysInfo(system));
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path,
              "C:\\Program Files\\Common Files\\System\\MSINFO32.EXE");
    EXPECT_EQ(system.programsStarted[0].showCommand, 1);
    // The second location is never read, and the path is not tested first.
    EXPECT_EQ(keysOpened(), std::vector<std::string>{PathKey});
    EXPECT_TRUE(system.filesTested.empty());
    EXPECT_EQ(system.openKeyCount(), 0u);
}

TEST_F(SysInfoLauncher, APathToAMissingFileFailsToStartWithoutTryingTheFolder) {
    registerPath("C:\\Gone\\MSINFO32.EXE");
    registerFolder("C:\\Tools");
    system.files.insert("C:\\Tools\\MSINFO32.EXE");
    system.startSucceeds = false;
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path, "C:\\Gone\\MSINFO32.EXE");
    EXPECT_EQ(keysOpened(), std::vector<std::string>{PathKey});
}

TEST_F(SysInfoLauncher, FallsBackToTheToolInTheRegisteredFolder) {
    registerFolder("C:\\Program Files\\Common Files\\System");
    system.files.insert("C:\\Program Files\\Common Files\\System\\MSINFO32.EXE");
    EXPECT_TRUE(about::FindAndStartSysInfo(system));
    EXPECT_EQ(keysOpened(), (std::vector<std::string>{PathKey, FolderKey}));
    ASSERT_EQ(system.filesTested.size(), 1u);
    EXPECT_EQ(system.filesTested[0], "C:\\Program Files\\Common Files\\System\\MSINFO32.EXE");
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path,
              "C:\\Program Files\\Common Files\\System\\MSINFO32.EXE");
    EXPECT_EQ(system.programsStarted[0].showCommand, 1);
}

TEST_F(SysInfoLauncher, AFolderEndingInABackslashGivesTwoInARow) {
    registerFolder("C:\\Tools\\");
    system.files.insert("C:\\Tools\\\\MSINFO32.EXE");
    EXPECT_TRUE(about::FindAndStartSysInfo(system));
    ASSERT_EQ(system.filesTested.size(), 1u);
    EXPECT_EQ(system.filesTested[0], "C:\\Tools\\\\MSINFO32.EXE");
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path, "C:\\Tools\\\\MSINFO32.EXE");
}

TEST_F(SysInfoLauncher, AFolderWithoutTheToolStartsNothing) {
    registerFolder("C:\\Tools");
    system.files.insert("C:\\Tools\\OTHER.EXE");
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    EXPECT_EQ(system.filesTested, std::vector<std::string>{"C:\\Tools\\MSINFO32.EXE"});
    EXPECT_TRUE(system.programsStarted.empty());
}

TEST_F(SysInfoLauncher, NoLocationAtAllStartsNothing) {
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    EXPECT_EQ(keysOpened(), (std::vector<std::string>{PathKey, FolderKey}));
    EXPECT_TRUE(system.filesTested.empty());
    EXPECT_TRUE(system.programsStarted.empty());
}

TEST_F(SysInfoLauncher, AKeyWithoutItsValueCountsAsMissing) {
    system.machineKeys[PathKey]["OTHER"] = {reg::Sz, text("C:\\x.exe")};
    registerFolder("C:\\Tools");
    system.files.insert("C:\\Tools\\MSINFO32.EXE");
    EXPECT_TRUE(about::FindAndStartSysInfo(system));
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path, "C:\\Tools\\MSINFO32.EXE");
    EXPECT_EQ(system.openKeyCount(), 0u);
}

TEST_F(SysInfoLauncher, AnExpandableFirstLocationStartsTheEmptyPathAndFails) {
    system.machineKeys[PathKey]["PATH"] = {reg::ExpandSz, text("%ProgramFiles%\\MSINFO32.EXE")};
    registerFolder("C:\\Tools");
    system.files.insert("C:\\Tools\\MSINFO32.EXE");
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    ASSERT_EQ(system.programsStarted.size(), 1u);
    EXPECT_EQ(system.programsStarted[0].path, "");
    EXPECT_EQ(keysOpened(), std::vector<std::string>{PathKey});
}

TEST_F(SysInfoLauncher, AStartThatFailsCountsAsUnavailable) {
    registerPath("C:\\Tools\\MSINFO32.EXE");
    system.startSucceeds = false;
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    EXPECT_EQ(system.programsStarted.size(), 1u);
}

// A platform whose registry raises an error instead of answering.
class ThrowingRegistry final : public platform::RecordingPlatform {
public:
    long openRegistryKey(std::uint32_t, std::string_view, std::uint32_t, reg::Key&) override {
        throw std::runtime_error("registry unavailable");
    }
};

TEST(SysInfoLauncherErrors, AnErrorInALookupCountsAsUnavailable) {
    ThrowingRegistry system;
    EXPECT_FALSE(about::FindAndStartSysInfo(system));
    EXPECT_TRUE(system.programsStarted.empty());
}

} // namespace
