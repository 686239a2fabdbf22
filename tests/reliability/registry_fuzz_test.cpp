#include "RandomText.h"
#include "forms/frmAbout/RegistryReader.h"
#include "platform/RecordingPlatform.h"
#include "platform/linux/MachineReg.h"
#include "platform/linux/RegFileStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace reg = platform::registry;
using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view Key = "SOFTWARE\\Fuzz";

// Mostly a few bytes, now and then anything up to a little beyond the reader's buffer. A long
// REG_DWORD makes a number of thousands of digits, so that comes more rarely.
std::size_t valueSize(RandomText& random, std::uint32_t type) {
    return random.below(type == reg::Dword ? 64 : 4) == 0
               ? static_cast<std::size_t>(random.below(1101))
               : static_cast<std::size_t>(random.below(9));
}

Bytes randomBytes(RandomText& random, std::size_t size) {
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random.below(3) == 0 ? 0 : random.below(256));
    return bytes;
}

std::uint32_t valueType(RandomText& random) {
    static constexpr std::array<std::uint32_t, 7> Types{
        reg::None, reg::Sz, reg::ExpandSz, reg::Binary, reg::Dword, reg::MultiSz, 11};
    if (random.below(10) == 0) return static_cast<std::uint32_t>(random.engine()());
    return Types[static_cast<std::size_t>(random.below(Types.size()))];
}

bool isDecimal(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           (text == "0" || text.front() != '0');
}

TEST(RegistryFuzz, AnyValueIsReadOrRefusedAndTheKeyIsClosed) {
    RandomText random(1024);
    const std::size_t runs = fuzzRuns(20000);
    for (std::size_t run = 0; run < runs; ++run) {
        platform::RecordingPlatform system;
        reg::Value value{valueType(random), {}};
        value.data = randomBytes(random, valueSize(random, value.type));
        system.machineKeys[std::string(Key)]["V"] = value;
        const std::string before = random.below(3) == 0 ? random.fieldText() : "";
        std::string text = before;

        const bool read = about::GetKeyValue(system, reg::LocalMachine, Key, "V", text);

        ASSERT_EQ(system.keysOpened.size(), 1u);
        ASSERT_EQ(system.keysOpened[0].access, reg::ReadAccess);
        ASSERT_EQ(system.openKeyCount(), 0u) << "the key stays open";
        const std::size_t size = value.data.size();
        if (size > about::ValueBufferSize) {
            ASSERT_FALSE(read) << size;
            ASSERT_TRUE(text.empty());
            continue;
        }
        ASSERT_TRUE(read) << size;
        const std::string data = about::DataText(value.data, static_cast<std::uint32_t>(size));
        if (value.type == reg::Sz) {
            ASSERT_EQ(text, data);
        } else if (value.type == reg::Dword) {
            if (!before.empty()) continue; // the earlier text takes part in the number
            if (data.empty()) {
                ASSERT_EQ(text, "&h"); // no digits: no number, the text stays
                continue;
            }
            ASSERT_TRUE(isDecimal(text)) << text;
            if (data.size() <= 7) {
                std::uint64_t number = 0;
                for (auto at = data.rbegin(); at != data.rend(); ++at)
                    number = number << 8 | static_cast<unsigned char>(*at);
                ASSERT_EQ(text, std::to_string(number));
            }
        } else {
            ASSERT_EQ(text, before) << "type " << value.type;
        }
    }
}

// A random REGEDIT4 export and the values the ANSI query must hand out for it.
struct Export {
    std::string file;
    std::vector<std::pair<std::string, std::pair<std::string, reg::Value>>> values;
};

std::string randomName(RandomText& random, int index) {
    static constexpr std::string_view Alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 _.-";
    std::string name;
    for (int i = random.below(12); i > 0; --i)
        name += Alphabet[static_cast<std::size_t>(random.below(Alphabet.size()))];
    return name + "#" + std::to_string(index); // unique, also without regard to case
}

std::string hexList(const Bytes& bytes) {
    std::string list;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        list += pair;
        if (i + 1 < bytes.size()) list += (i % 20 == 19) ? ",\\\r\n  " : ",";
    }
    return list;
}

Export randomExport(RandomText& random) {
    Export made{"REGEDIT4\r\n", {}};
    for (int k = random.below(4); k >= 0; --k) {
        const std::string key = std::string(Key) + "\\" + randomName(random, k);
        made.file += "\r\n[HKEY_LOCAL_MACHINE\\" + key + "]\r\n";
        for (int v = random.below(6); v > 0; --v) {
            const std::string name = randomName(random, v);
            reg::Value value;
            std::string line = "\"" + name + "\"=";
            switch (random.below(3)) {
            case 0: {
                std::string text;
                for (int i = random.below(300); i > 0; --i)
                    text += static_cast<char>(' ' + random.below(95));
                line += '"';
                for (const char c : text)
                    line += (c == '\\' || c == '"') ? std::string{'\\', c} : std::string{c};
                line += '"';
                value = {reg::Sz, Bytes(text.begin(), text.end())};
                value.data.push_back(0);
                break;
            }
            case 1: {
                const auto number = static_cast<std::uint32_t>(random.engine()());
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", number);
                line += digits;
                value = {reg::Dword,
                         {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                          static_cast<std::uint8_t>(number >> 16),
                          static_cast<std::uint8_t>(number >> 24)}};
                break;
            }
            default: {
                static constexpr std::array<std::uint32_t, 4> Types{reg::Binary, reg::None,
                                                                    reg::ExpandSz, 11};
                value.type = Types[static_cast<std::size_t>(random.below(Types.size()))];
                value.data = randomBytes(random, valueSize(random, value.type));
                char kind[16] = "hex:";
                if (value.type != reg::Binary)
                    std::snprintf(kind, sizeof kind, "hex(%x):", value.type);
                line += kind;
                line += hexList(value.data);
                break;
            }
            }
            made.file += line + "\r\n";
            made.values.push_back({key, {name, value}});
        }
    }
    return made;
}

TEST(RegFileFuzz, WellFormedExportsReadBackExactly) {
    RandomText random(5);
    // Each export holds up to twenty values.
    const std::size_t runs = fuzzRuns(20000) / 20;
    for (std::size_t run = 0; run < runs; ++run) {
        const Export made = randomExport(random);
        std::string error;
        const auto store = platform::RegFileStore::parse(made.file, &error);
        ASSERT_TRUE(store) << error << "\n" << made.file;
        for (const auto& [key, named] : made.values) {
            platform::RegValues values;
            ASSERT_EQ(store->openKey(reg::LocalMachine, key, reg::ReadAccess, values), reg::Success)
                << key;
            std::array<std::uint8_t, about::ValueBufferSize> buffer{};
            std::uint32_t type = 0;
            std::uint32_t size = buffer.size();
            const long result = platform::queryValue(values, named.first, type, buffer, size);
            const reg::Value& value = named.second;
            ASSERT_EQ(size, value.data.size()) << named.first;
            ASSERT_EQ(type, value.type) << named.first;
            if (value.data.size() > buffer.size()) {
                ASSERT_EQ(result, reg::MoreData);
                continue;
            }
            ASSERT_EQ(result, reg::Success);
            ASSERT_TRUE(std::equal(value.data.begin(), value.data.end(), buffer.begin()))
                << named.first;
        }
    }
}

// Damages a file: bytes replaced, dropped or put in, or a piece of it repeated.
std::string damaged(RandomText& random, std::string file) {
    for (int edits = 1 + random.below(8); edits > 0 && !file.empty(); --edits) {
        const auto at = static_cast<std::size_t>(random.below(static_cast<int>(file.size())));
        switch (random.below(4)) {
        case 0:
            file[at] = static_cast<char>(random.below(256));
            break;
        case 1:
            file.erase(at, static_cast<std::size_t>(1 + random.below(20)));
            break;
        case 2:
            file.insert(at, 1, "[]\\\",=:@\r\n(x"[random.below(13)]);
            break;
        default:
            file.insert(at, file.substr(at, static_cast<std::size_t>(random.below(40))));
            break;
        }
    }
    return file;
}

TEST(RegFileFuzz, AnyFileIsReadOrRefusedAndWhatIsReadAnswersQueries) {
    RandomText random(6);
    const std::size_t runs = fuzzRuns(20000) / 10;
    std::size_t readable = 0;
    for (std::size_t run = 0; run < runs; ++run) {
        std::string file = damaged(random, randomExport(random).file);
        if (random.below(4) == 0) { // as UTF-16, the form regedit writes
            std::string wide = "\xFF\xFE";
            for (const char c : file)
                wide += {c, '\0'};
            file = damaged(random, wide);
        }
        const auto store = platform::RegFileStore::parse(file);
        if (!store) continue;
        ++readable;
        for (const auto& [path, values] : store->keys()) {
            constexpr std::string_view Root = "HKEY_LOCAL_MACHINE\\";
            if (path.size() <= Root.size() || path.compare(0, Root.size(), Root) != 0) continue;
            platform::RegValues opened;
            ASSERT_EQ(store->openKey(reg::LocalMachine, path.substr(Root.size()), reg::ReadAccess,
                                     opened),
                      reg::Success)
                << path;
            for (const auto& [name, value] : values) {
                std::array<std::uint8_t, about::ValueBufferSize> buffer{};
                std::uint32_t type = 0;
                std::uint32_t size = buffer.size();
                const long result = platform::queryValue(opened, name, type, buffer, size);
                ASSERT_EQ(size, value.data.size());
                ASSERT_EQ(result, size > buffer.size() ? reg::MoreData : reg::Success);
            }
        }
    }
    // Some damage leaves a file readable (a changed letter in a text), so both ways are seen.
    EXPECT_GT(readable, 0u);
    EXPECT_LT(readable, runs);
}

// 20,000 keys, then 20,000 lines that remove every other one and as many that were never
// there, up to the size limit. Each removal walked every key: such a file took 6 s. Unoptimised,
// as in the sanitizer build, the parse takes 15 to 60 times as long (0.9 to 3.9 s, against
// 60 ms), but walking every key would still overrun the larger bound many times.
#ifdef __OPTIMIZE__
constexpr std::chrono::milliseconds ParseBound(500);
#else
constexpr std::chrono::milliseconds ParseBound(10000);
#endif

TEST(RegFileFuzz, AnExportAtTheSizeLimitIsReadQuicklyAndALargerOneRefused) {
    std::string file = "REGEDIT4\n";
    for (int k = 0; k < 20000; ++k)
        file += "[HKEY_USERS\\K" + std::to_string(k) + "]\n";
    for (int k = 0; k < 20000; ++k)
        file += "[-HKEY_USERS\\K" + std::to_string(k < 10000 ? 2 * k + 1 : 20000 + k) + "]\n";
    ASSERT_LT(file.size(), platform::MaxExportBytes);
    file += std::string(platform::MaxExportBytes - file.size(), ';');
    const std::string path = "/tmp/nodrell-limit-" + std::to_string(getpid()) + ".reg";
    std::ofstream(path, std::ios::binary) << file;

    const auto start = std::chrono::steady_clock::now();
    const auto contents = platform::readExportFile(path);
    const auto store = contents ? platform::RegFileStore::parse(*contents) : std::nullopt;
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(store);
    EXPECT_EQ(store->keys().size(), 10000u);
    EXPECT_EQ(store->keys().count("HKEY_USERS\\K19998"), 1u);
    EXPECT_LT(took, ParseBound);

    std::ofstream(path, std::ios::binary | std::ios::app) << ';';
    EXPECT_FALSE(platform::readExportFile(path));
    std::remove(path.c_str());
}

} // namespace
