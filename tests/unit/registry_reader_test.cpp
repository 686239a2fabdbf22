#include "forms/frmAbout/RegistryReader.h"
#include "platform/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

namespace reg = platform::registry;
using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view Key = "SOFTWARE\\Example";

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

class GetKeyValueTest : public testing::Test {
protected:
    platform::RecordingPlatform system;

    void store(std::string_view name, std::uint32_t type, Bytes data) {
        system.machineKeys[std::string(Key)][std::string(name)] = {type, std::move(data)};
    }
    bool read(std::string_view name, std::string& value) {
        return about::GetKeyValue(system, reg::LocalMachine, Key, name, value);
    }
};

TEST_F(GetKeyValueTest, ATextLosesItsTerminatingZero) {
    store("PATH", reg::Sz, bytesOf(std::string_view("C:\\Tools\\info.exe\0", 18)));
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, "C:\\Tools\\info.exe");
}

TEST_F(GetKeyValueTest, ATextWithoutTerminatingZeroKeepsEveryCharacter) {
    store("PATH", reg::Sz, bytesOf("C:\\Tools\\info.exe"));
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, "C:\\Tools\\info.exe");
}

TEST_F(GetKeyValueTest, OnlyTheLastZeroIsCut) {
    store("PATH", reg::Sz, Bytes{'a', 0, 'b', 0, 0});
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, std::string("a\0b\0", 4));
}

TEST_F(GetKeyValueTest, OpensTheKeyForReadingOnlyAndClosesIt) {
    store("PATH", reg::Sz, bytesOf("x"));
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    ASSERT_EQ(system.keysOpened.size(), 1u);
    EXPECT_EQ(system.keysOpened[0].root, 0x80000002u);
    EXPECT_EQ(system.keysOpened[0].subKey, Key);
    EXPECT_EQ(system.keysOpened[0].access, 0x20019u); // KEY_READ
    ASSERT_EQ(system.valuesQueried.size(), 1u);
    EXPECT_EQ(system.valuesQueried[0].valueName, "PATH");
    EXPECT_EQ(system.valuesQueried[0].sizeOffered, 1024u);
    EXPECT_EQ(system.keysClosed, 1);
    EXPECT_EQ(system.openKeyCount(), 0u);
}

TEST_F(GetKeyValueTest, ExactlyTheBufferIsRead) {
    Bytes text(1023, 'p');
    text.push_back(0);
    store("PATH", reg::Sz, text);
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, std::string(1023, 'p'));

    store("PATH", reg::Sz, Bytes(1024, 'q'));
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, std::string(1024, 'q'));
}

TEST_F(GetKeyValueTest, OneByteMoreCountsAsMissing) {
    Bytes text(1024, 'p');
    text.push_back(0);
    store("PATH", reg::Sz, text);
    std::string value = "left over";
    EXPECT_FALSE(read("PATH", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(system.openKeyCount(), 0u);
}

TEST_F(GetKeyValueTest, AValueWithoutDataIsAnEmptyText) {
    store("PATH", reg::Sz, Bytes{});
    std::string value = "left over";
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, "");
}

TEST_F(GetKeyValueTest, OtherTypesCountAsReadAndLeaveTheTextAlone) {
    store("PATH", reg::ExpandSz, bytesOf(std::string_view("%SystemRoot%\\info.exe\0", 22)));
    std::string value;
    EXPECT_TRUE(read("PATH", value));
    EXPECT_EQ(value, "");

    store("DATA", reg::Binary, Bytes{1, 2, 3});
    value = "kept";
    EXPECT_TRUE(read("DATA", value));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(system.openKeyCount(), 0u);
}

TEST_F(GetKeyValueTest, ADwordIsItsNumberInDecimal) {
    store("COUNT", reg::Dword, Bytes{0x1A, 0x2B, 0x3C, 0x4D});
    std::string value;
    EXPECT_TRUE(read("COUNT", value));
    EXPECT_EQ(value, "1295788826"); // &h4D3C2B1A
}

TEST_F(GetKeyValueTest, ADwordEndingInAZeroByteLosesIt) {
    store("COUNT", reg::Dword, Bytes{0x1A, 0x2B, 0x3C, 0x00});
    std::string value;
    EXPECT_TRUE(read("COUNT", value));
    EXPECT_EQ(value, "3943194"); // &h3C2B1A
}

TEST_F(GetKeyValueTest, ADwordKeepsTheZeroBytesBeforeItsLast) {
    store("COUNT", reg::Dword, Bytes{0x00, 0x01, 0x00, 0x80});
    std::string value;
    EXPECT_TRUE(read("COUNT", value));
    EXPECT_EQ(value, "2147483904"); // &h80000100: every byte two digits
}

TEST_F(GetKeyValueTest, ADwordWithNoDigitsLeftDenotesNoNumber) {
    store("COUNT", reg::Dword, Bytes{0x00});
    std::string value;
    EXPECT_TRUE(read("COUNT", value));
    EXPECT_EQ(value, "&h");
}

TEST_F(GetKeyValueTest, AMissingKeyOrValueGivesFalseAndAnEmptyText) {
    std::string value = "left over";
    EXPECT_FALSE(about::GetKeyValue(system, reg::LocalMachine, "SOFTWARE\\Nowhere", "PATH", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(system.keysClosed, 0); // nothing was opened

    store("OTHER", reg::Sz, bytesOf("x"));
    value = "left over";
    EXPECT_FALSE(read("PATH", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(system.keysClosed, 1);
    EXPECT_EQ(system.openKeyCount(), 0u);
}

// A platform whose query fails in a way the registry never reports.
class BrokenQuery final : public platform::RecordingPlatform {
public:
    int closes = 0;
    long openRegistryKey(std::uint32_t, std::string_view, std::uint32_t, reg::Key& key) override {
        key = 7;
        return reg::Success;
    }
    long queryRegistryValue(reg::Key, std::string_view, std::uint32_t&, std::span<std::uint8_t>,
                            std::uint32_t&) override {
        throw std::runtime_error("registry unavailable");
    }
    void closeRegistryKey(reg::Key key) override {
        EXPECT_EQ(key, 7u);
        ++closes;
    }
};

TEST(GetKeyValue, ClosesTheKeyWhenTheQueryThrows) {
    BrokenQuery system;
    std::string value;
    EXPECT_THROW(about::GetKeyValue(system, reg::LocalMachine, Key, "PATH", value),
                 std::runtime_error);
    EXPECT_EQ(system.closes, 1);
}

TEST(DataText, CutsOneTerminatingZeroWithinTheReportedSize) {
    const Bytes buffer{'a', 'b', 0, 'c', 0, 0};
    EXPECT_EQ(about::DataText(buffer, 3), "ab");
    EXPECT_EQ(about::DataText(buffer, 2), "ab");
    EXPECT_EQ(about::DataText(buffer, 4), std::string("ab\0c", 4));
    EXPECT_EQ(about::DataText(buffer, 6), std::string("ab\0c\0", 5));
    EXPECT_EQ(about::DataText(buffer, 0), "");
    EXPECT_EQ(about::DataText(buffer, 1), "a");
}

TEST(HexDigits, TwoUpperCaseDigitsPerByteFromTheLastByte) {
    EXPECT_EQ(about::HexDigits("\x1A\x2B\x3C\x4D"), "4D3C2B1A");
    EXPECT_EQ(about::HexDigits(std::string_view("\x0a\x00\xff", 3)), "FF000A");
    EXPECT_EQ(about::HexDigits(""), "");
}

TEST(GeneralFormat, TurnsHexIntoDecimal) {
    EXPECT_EQ(about::GeneralFormat("&h4D3C2B1A"), "1295788826");
    EXPECT_EQ(about::GeneralFormat("&hFFFFFFFF"), "4294967295");
    EXPECT_EQ(about::GeneralFormat("&h00000000"), "0");
    EXPECT_EQ(about::GeneralFormat("&h0A"), "10");
    EXPECT_EQ(about::GeneralFormat("&hff"), "255");
    // Longer than four bytes: still the number, digit for digit.
    EXPECT_EQ(about::GeneralFormat("&h" + std::string(32, 'F')),
              "340282366920938463463374607431768211455");
}

TEST(GeneralFormat, LeavesATextThatIsNoNumber) {
    EXPECT_EQ(about::GeneralFormat("&h"), "&h");
    EXPECT_EQ(about::GeneralFormat("&hC:\\x"), "&hC:\\x");
    EXPECT_EQ(about::GeneralFormat("12"), "12");
}

} // namespace
