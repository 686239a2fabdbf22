#include "platform/linux/MachineReg.h"
#include "platform/linux/RegFileStore.h"

#include <gtest/gtest.h>

#include <array>

namespace {

namespace reg = platform::registry;
using platform::RegFileStore;
using platform::RegValues;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// The value as the ANSI query hands it out, or nothing when the key or value is missing.
std::optional<reg::Value> lookUp(const RegFileStore& store, std::string_view subKey,
                                 std::string_view name) {
    RegValues values;
    if (store.openKey(reg::LocalMachine, subKey, reg::ReadAccess, values) != reg::Success)
        return std::nullopt;
    std::array<std::uint8_t, 1024> buffer{};
    std::uint32_t size = buffer.size();
    reg::Value value;
    if (platform::queryValue(values, name, value.type, buffer, size) != reg::Success)
        return std::nullopt;
    value.data.assign(buffer.begin(), buffer.begin() + size);
    return value;
}

RegFileStore parsed(std::string_view file) {
    std::string error;
    const auto store = RegFileStore::parse(file, &error);
    EXPECT_TRUE(store.has_value()) << error;
    return store.value_or(RegFileStore{});
}

std::string failure(std::string_view file) {
    std::string error;
    const auto store = RegFileStore::parse(file, &error);
    EXPECT_FALSE(store.has_value());
    return error;
}

// UTF-16LE with its byte-order mark, as regedit writes version 5.00 exports.
std::string utf16(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

constexpr std::string_view Export =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"
    "\"PATH\"=\"C:\\\\Program Files\\\\MSINFO32.EXE\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Example]\r\n"
    "@=\"default\"\r\n"
    "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
    "\"Count\"=dword:4d3c2b1a\r\n"
    "\"Small\"=dword:1\r\n"
    "\"Blob\"=hex:1a,2b,3c\r\n"
    "\"Empty\"=hex:\r\n"
    "\"Expand\"=hex(2):25,00,54,00,25,00,00,00\r\n"
    "\"Raw\"=hex(1):61,00,62,00\r\n"
    "\"Long\"=hex(3):01,02,03,\\\r\n"
    "  04,05,\\\r\n"
    "  06\r\n"
    "\"Big\"=hex(b):00,00,00,00,00,00,00,01\r\n";

TEST(RegFileStore, ReadsTextsAsTheAnsiQueryGivesThem) {
    const RegFileStore store = parsed(Export);
    const auto path = lookUp(store, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->type, reg::Sz);
    EXPECT_EQ(path->data, bytesOf(std::string_view("C:\\Program Files\\MSINFO32.EXE\0", 30)));

    const auto quote = lookUp(store, "SOFTWARE\\Example", "Quote");
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->data, bytesOf(std::string_view("say \"hi\"\0", 9)));
    const auto unnamed = lookUp(store, "SOFTWARE\\Example", "");
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->data, bytesOf(std::string_view("default\0", 8)));
}

TEST(RegFileStore, ReadsDwordsLeastSignificantByteFirst) {
    const RegFileStore store = parsed(Export);
    const auto count = lookUp(store, "SOFTWARE\\Example", "Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, reg::Dword);
    EXPECT_EQ(count->data, (Bytes{0x1A, 0x2B, 0x3C, 0x4D}));
    EXPECT_EQ(lookUp(store, "SOFTWARE\\Example", "Small")->data, (Bytes{1, 0, 0, 0}));
}

TEST(RegFileStore, ReadsHexValuesWithTheirTypes) {
    const RegFileStore store = parsed(Export);
    const auto blob = lookUp(store, "SOFTWARE\\Example", "Blob");
    ASSERT_TRUE(blob);
    EXPECT_EQ(blob->type, reg::Binary);
    EXPECT_EQ(blob->data, (Bytes{0x1A, 0x2B, 0x3C}));
    const auto empty = lookUp(store, "SOFTWARE\\Example", "Empty");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->data.empty());
    const auto longer = lookUp(store, "SOFTWARE\\Example", "Long");
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->data, (Bytes{1, 2, 3, 4, 5, 6}));
    const auto big = lookUp(store, "SOFTWARE\\Example", "Big");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->type, 11u);
    EXPECT_EQ(big->data.size(), 8u);
}

TEST(RegFileStore, VersionFiveTextsInHexAreUtf16AndComeOutIn8Bits) {
    const RegFileStore store = parsed(Export);
    const auto expand = lookUp(store, "SOFTWARE\\Example", "Expand");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->type, reg::ExpandSz);
    EXPECT_EQ(expand->data, bytesOf(std::string_view("%T%\0", 4)));
    // A text stored without its terminating zero stays without.
    const auto raw = lookUp(store, "SOFTWARE\\Example", "Raw");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, reg::Sz);
    EXPECT_EQ(raw->data, bytesOf("ab"));
}

TEST(RegFileStore, Regedit4KeepsHexTextsAsTheyAre) {
    const RegFileStore store = parsed("REGEDIT4\n"
                                      "\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Example]\n"
                                      "\"Expand\"=hex(2):25,54,25,00\n");
    const auto expand = lookUp(store, "SOFTWARE\\Example", "Expand");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->data, bytesOf(std::string_view("%T%\0", 4)));
}

TEST(RegFileStore, ReadsTheUtf16FilesRegeditWrites) {
    const RegFileStore store =
        parsed(utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Example]\r\n\"PATH\"=\"/usr/bin/info\"\r\n"));
    const auto path = lookUp(store, "SOFTWARE\\Example", "PATH");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->data, bytesOf(std::string_view("/usr/bin/info\0", 14)));
}

TEST(RegFileStore, NamesIgnoreCaseAndParentKeysExist) {
    const RegFileStore store = parsed(Export);
    EXPECT_TRUE(lookUp(store, "software\\example", "count"));
    RegValues values;
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\Microsoft", reg::ReadAccess, values),
              reg::Success);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(store.openKey(reg::LocalMachine, "", reg::ReadAccess, values), reg::Success);
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\Micro", reg::ReadAccess, values),
              reg::FileNotFound);
    EXPECT_EQ(store.openKey(reg::CurrentUser, "SOFTWARE\\Example", reg::ReadAccess, values),
              reg::FileNotFound);
    EXPECT_EQ(store.openKey(0x12345678u, "SOFTWARE\\Example", reg::ReadAccess, values),
              reg::InvalidHandle);
}

TEST(RegFileStore, RefusesWriteAccess) {
    const RegFileStore store = parsed(Export);
    RegValues values;
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\Example", 0x2003Fu, values),
              reg::AccessDenied);
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\Example", 0x0001u, values),
              reg::Success); // query value alone
}

TEST(RegFileStore, QueryRefusesAValueLongerThanTheBuffer) {
    const RegFileStore store = parsed(Export);
    RegValues values;
    ASSERT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\Example", reg::ReadAccess, values),
              reg::Success);
    std::array<std::uint8_t, 8> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(platform::queryValue(values, "Count", type, buffer, size), reg::Success);
    EXPECT_EQ(size, 4u);
    size = 3;
    EXPECT_EQ(platform::queryValue(values, "Count", type, buffer, size), reg::MoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(platform::queryValue(values, "Nothing", type, buffer, size), reg::FileNotFound);
}

TEST(RegFileStore, LaterLinesRemoveValuesAndKeys) {
    const RegFileStore store = parsed("REGEDIT4\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n"
                                      "\"x\"=\"1\"\n"
                                      "\"y\"=\"2\"\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\AB]\n"
                                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n"
                                      "\"y\"=-\n"
                                      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n"
                                      "\"ignored\"=\"z\"\n");
    EXPECT_TRUE(lookUp(store, "SOFTWARE\\A", "x"));
    EXPECT_FALSE(lookUp(store, "SOFTWARE\\A", "y"));
    RegValues values;
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\A\\B", reg::ReadAccess, values),
              reg::FileNotFound);
    EXPECT_EQ(store.openKey(reg::LocalMachine, "SOFTWARE\\AB", reg::ReadAccess, values),
              reg::Success);
}

TEST(RegFileStore, SkipsCommentsAndBlankLines) {
    const RegFileStore store = parsed("REGEDIT4\n; a comment\n\n[HKEY_LOCAL_MACHINE\\S]\n"
                                      "  ; another\n\"v\"=\"w\"\n");
    EXPECT_TRUE(lookUp(store, "S", "v"));
}

TEST(RegFileStore, RefusesBrokenFiles) {
    EXPECT_EQ(failure(""), "line 1: empty file");
    EXPECT_EQ(failure("[HKEY_LOCAL_MACHINE\\S]\n\"v\"=\"w\"\n"), "line 1: not a registry export");
    EXPECT_EQ(failure("Windows Registry Editor Version 4.00\n"), "line 1: not a registry export");
    EXPECT_EQ(failure("REGEDIT4\n\"v\"=\"w\"\n"), "line 2: a value before the first key");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S\n"), "line 2: a key's line must end in ]");
    EXPECT_EQ(failure("REGEDIT4\n[]\n"), "line 2: not a key path");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=\"open\n"),
              "line 3: a quoted text has no end");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=\"a\\b\"\n"),
              "line 3: a backslash must be doubled in a quoted text");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=\"w\" x\n"),
              "line 3: text after the value");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=dword:123456789\n"),
              "line 3: a dword is up to eight hex digits");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=dword:\n"),
              "line 3: a dword is up to eight hex digits");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=hex:1g\n"),
              "line 3: bytes are separated by commas");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=hex:123\n"),
              "line 3: bytes are written as two hex digits");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=hex(z):00\n"),
              "line 3: hex( must give the value's type in hex digits");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=hex:01,\\\n"),
              "line 3: the value goes on past the file's end");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\"=text\n"), "line 3: not a value");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\nv=\"w\"\n"),
              "line 3: a quoted text was expected");
    EXPECT_EQ(failure("REGEDIT4\n[HKEY_LOCAL_MACHINE\\S]\n\"v\" \"w\"\n"),
              "line 3: = was expected after the name");
}

TEST(MachineRegCandidates, FollowsXdgConfigDirs) {
    // A program that cannot be resolved adds nothing.
    EXPECT_EQ(platform::machineRegCandidates(nullptr, ""),
              std::vector<std::string>{"/etc/xdg/nodrell/machine.reg"});
    EXPECT_EQ(platform::machineRegCandidates("", "/nonexistent/bin/nodrell"),
              std::vector<std::string>{"/etc/xdg/nodrell/machine.reg"});
    EXPECT_EQ(platform::machineRegCandidates("/opt/a:relative:/opt//b/::", ""),
              (std::vector<std::string>{"/opt/a/nodrell/machine.reg", "/opt/b/nodrell/machine.reg",
                                        "/etc/xdg/nodrell/machine.reg"}));
    EXPECT_EQ(platform::machineRegCandidates("relative", ""),
              std::vector<std::string>{"/etc/xdg/nodrell/machine.reg"});
    // As some desktops set it: the package's file in /etc/xdg is still found.
    EXPECT_EQ(platform::machineRegCandidates("/etc/xdg/xdg-plasma", ""),
              (std::vector<std::string>{"/etc/xdg/xdg-plasma/nodrell/machine.reg",
                                        "/etc/xdg/nodrell/machine.reg"}));
    EXPECT_EQ(
        platform::machineRegCandidates("/opt/a:/etc/xdg/:/opt/a/", ""),
        (std::vector<std::string>{"/opt/a/nodrell/machine.reg", "/etc/xdg/nodrell/machine.reg"}));
}

} // namespace
