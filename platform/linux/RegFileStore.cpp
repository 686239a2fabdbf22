#include "RegFileStore.h"

#include "platform/HexDigit.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimLeft(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trimRight(std::string_view text) {
    const auto last = text.find_last_not_of(" \t\r");
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

// One to eight hex digits as a number; nothing for anything else.
std::optional<std::uint32_t> hexNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (const char digit : digits) {
        const int value = hexValue(digit);
        if (value < 0) return std::nullopt;
        number = number * 16 + static_cast<std::uint32_t>(value);
    }
    return number;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Little-endian UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, an odd last byte is dropped.
std::string utf16ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&bytes](std::size_t i) {
        return static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t first = unit(i);
        if (first >= 0xD800 && first <= 0xDBFF && i + 1 < units) {
            const char32_t second = unit(i + 1);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (first >= 0xD800 && first <= 0xDFFF) ? char32_t{0xFFFD} : first);
    }
    return out;
}

const char* rootName(std::uint32_t root) {
    switch (root) {
    case registry::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case registry::CurrentUser:
        return "HKEY_CURRENT_USER";
    case registry::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case registry::Users:
        return "HKEY_USERS";
    case registry::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    default:
        return nullptr;
    }
}

// One export being read, line by line.
class Parser {
public:
    explicit Parser(std::string text) : text_(std::move(text)) { split(); }

    bool run(std::map<std::string, RegValues, NoCaseLess>& keys);
    const std::string& error() const { return error_; }

private:
    void split();
    bool fail(std::size_t line, const std::string& what);
    bool section(std::size_t line, std::string_view text,
                 std::map<std::string, RegValues, NoCaseLess>& keys);
    bool value(std::size_t& line, std::string_view text);
    bool quoted(std::size_t line, std::string_view& text, std::string& out);
    bool hexList(std::size_t& line, std::string_view text, std::vector<std::uint8_t>& bytes);

    std::string text_;
    std::vector<std::string_view> lines_;
    bool unicode_ = false;         // version 5.00: the registry's own texts are UTF-16
    RegValues* current_ = nullptr; // the key whose values follow
    bool deleting_ = false;        // in a section that removes a key: its lines do nothing
    std::string error_;
};

void Parser::split() {
    std::string_view rest = text_;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        lines_.push_back(rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

bool Parser::fail(std::size_t line, const std::string& what) {
    error_ = "line " + std::to_string(line + 1) + ": " + what;
    return false;
}

bool Parser::run(std::map<std::string, RegValues, NoCaseLess>& keys) {
    if (lines_.empty()) return fail(0, "empty file");
    const std::string_view header = trimRight(lines_[0]);
    if (header == "Windows Registry Editor Version 5.00")
        unicode_ = true;
    else if (header != "REGEDIT4")
        return fail(0, "not a registry export");

    for (std::size_t line = 1; line < lines_.size(); ++line) {
        const std::string_view text = trimRight(trimLeft(lines_[line]));
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            if (!section(line, text, keys)) return false;
        } else if (!value(line, text)) {
            return false;
        }
    }
    return true;
}

bool Parser::section(std::size_t line, std::string_view text,
                     std::map<std::string, RegValues, NoCaseLess>& keys) {
    if (text.back() != ']') return fail(line, "a key's line must end in ]");
    std::string_view path = text.substr(1, text.size() - 2);
    const bool removal = !path.empty() && path.front() == '-';
    if (removal) path.remove_prefix(1);
    if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string_view::npos)
        return fail(line, "not a key path");
    current_ = nullptr;
    deleting_ = removal;
    if (removal) {
        // The key goes with everything below it. In the map's order the keys below it lie
        // together, from "path\" up to "path]", ] being the character after the backslash.
        const std::string key(path);
        keys.erase(key);
        keys.erase(keys.lower_bound(key + '\\'), keys.lower_bound(key + ']'));
        return true;
    }
    current_ = &keys[std::string(path)];
    return true;
}

// A name or text in double quotes, where \\ and \" stand for \ and ".
bool Parser::quoted(std::size_t line, std::string_view& text, std::string& out) {
    if (text.empty() || text.front() != '"') return fail(line, "a quoted text was expected");
    for (std::size_t at = 1; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            text.remove_prefix(at + 1);
            return true;
        }
        if (c == '\\') {
            if (at + 1 >= text.size() || (text[at + 1] != '\\' && text[at + 1] != '"'))
                return fail(line, "a backslash must be doubled in a quoted text");
            out += text[++at];
        } else {
            out += c;
        }
    }
    return fail(line, "a quoted text has no end");
}

// Bytes in two-digit hex, separated by commas; a line that ends in a backslash goes on in
// the next one.
bool Parser::hexList(std::size_t& line, std::string_view text, std::vector<std::uint8_t>& bytes) {
    std::string joined(text);
    while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        if (line + 1 >= lines_.size()) return fail(line, "the value goes on past the file's end");
        joined += trimRight(trimLeft(lines_[++line]));
    }
    std::string_view rest = joined;
    if (trimLeft(rest).empty()) return true;
    for (;;) {
        rest = trimLeft(rest);
        std::size_t digits = 0;
        while (digits < rest.size() && hexValue(rest[digits]) >= 0)
            ++digits;
        if (digits == 0 || digits > 2) return fail(line, "bytes are written as two hex digits");
        int byte = 0;
        for (std::size_t i = 0; i < digits; ++i)
            byte = byte * 16 + hexValue(rest[i]);
        bytes.push_back(static_cast<std::uint8_t>(byte));
        rest = trimLeft(rest.substr(digits));
        if (rest.empty()) return true;
        if (rest.front() != ',') return fail(line, "bytes are separated by commas");
        rest.remove_prefix(1);
        // regedit ends a continued line with a comma before the backslash.
        if (trimLeft(rest).empty()) return true;
    }
}

bool Parser::value(std::size_t& line, std::string_view text) {
    if (deleting_) return true;
    if (current_ == nullptr) return fail(line, "a value before the first key");

    std::string name;
    if (text.front() == '@') {
        text.remove_prefix(1);
    } else if (!quoted(line, text, name)) {
        return false;
    }
    text = trimLeft(text);
    if (text.empty() || text.front() != '=') return fail(line, "= was expected after the name");
    text = trimLeft(text.substr(1));

    registry::Value parsed;
    if (text == "-") {
        current_->erase(name);
        return true;
    }
    if (!text.empty() && text.front() == '"') {
        std::string data;
        if (!quoted(line, text, data)) return false;
        if (!trimLeft(text).empty()) return fail(line, "text after the value");
        parsed.type = registry::Sz;
        parsed.data.assign(data.begin(), data.end());
        parsed.data.push_back(0);
    } else if (startsWithNoCase(text, "dword:")) {
        const auto number = hexNumber(text.substr(6));
        if (!number) return fail(line, "a dword is up to eight hex digits");
        parsed.type = registry::Dword;
        for (int i = 0; i < 4; ++i)
            parsed.data.push_back(static_cast<std::uint8_t>(*number >> (8 * i)));
    } else if (startsWithNoCase(text, "hex")) {
        text.remove_prefix(3);
        parsed.type = registry::Binary;
        if (!text.empty() && text.front() == '(') {
            const auto close = text.find(')');
            const std::string_view digits =
                close == std::string_view::npos ? std::string_view{} : text.substr(1, close - 1);
            const auto type = hexNumber(digits);
            if (!type) return fail(line, "hex( must give the value's type in hex digits");
            parsed.type = *type;
            text.remove_prefix(close + 1);
        }
        if (text.empty() || text.front() != ':') return fail(line, ": was expected after hex");
        if (!hexList(line, text.substr(1), parsed.data)) return false;
        // A version 5.00 export lists texts as the registry keeps them, in UTF-16; the ANSI
        // query hands them out in 8-bit text.
        const bool text16 = parsed.type == registry::Sz || parsed.type == registry::ExpandSz ||
                            parsed.type == registry::MultiSz;
        if (unicode_ && text16) {
            const std::string converted = utf16ToUtf8(parsed.data);
            parsed.data.assign(converted.begin(), converted.end());
        }
    } else {
        return fail(line, "not a value");
    }
    (*current_)[name] = std::move(parsed);
    return true;
}

// The file's text in 8 bits: UTF-16 with its byte-order mark becomes UTF-8, a UTF-8 mark
// goes.
std::string decode(std::string_view file) {
    if (file.size() >= 2 && file[0] == '\xFF' && file[1] == '\xFE') {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data()) + 2;
        return utf16ToUtf8(std::span<const std::uint8_t>(bytes, file.size() - 2));
    }
    if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    return std::string(file);
}

} // namespace

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return upper(x) < upper(y); });
}

std::optional<RegFileStore> RegFileStore::parse(std::string_view file, std::string* error) {
    Parser parser(decode(file));
    RegFileStore store;
    if (!parser.run(store.keys_)) {
        if (error != nullptr) *error = parser.error();
        return std::nullopt;
    }
    return store;
}

long RegFileStore::openKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                           RegValues& values) const {
    const char* name = rootName(root);
    if (name == nullptr) return registry::InvalidHandle;
    if (registry::asksMoreThanReading(access)) return registry::AccessDenied;
    std::string path = name;
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }

    if (const auto found = keys_.find(path); found != keys_.end()) {
        values = found->second;
        return registry::Success;
    }
    // The keys below it, if any, start at the first one from "path\" on.
    const std::string parent = path + "\\";
    if (const auto below = keys_.lower_bound(parent);
        below != keys_.end() && startsWithNoCase(below->first, parent)) {
        values.clear();
        return registry::Success;
    }
    return registry::FileNotFound;
}

long queryValue(const RegValues& values, std::string_view name, std::uint32_t& type,
                std::span<std::uint8_t> data, std::uint32_t& size) {
    const auto found = values.find(name);
    if (found == values.end()) return registry::FileNotFound;
    return registry::copyValue(found->second, type, data, size);
}

} // namespace platform
