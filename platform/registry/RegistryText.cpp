// The registry export text format, read leniently and written exactly.
#include "RegistryText.h"

#include "brevant/text.h"

#include <algorithm>
#include <cstdio>

namespace brevant::platform::registry {

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";
const char kOldHeader[] = "REGEDIT4";

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

// Blanks around a line or a list item: spaces and tabs.
std::string trimBlanks(const std::string& text) {
    return std::string(brevant::text::trimmed(text, " \t"));
}

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

// The text of a file that starts with a byte order mark for UTF-16 (as the
// registry editor of Windows saves it) becomes single-byte text; characters
// beyond one byte become "?". A UTF-8 mark is dropped.
std::string decodeText(const std::string& bytes, int& replacedOnLine) {
    replacedOnLine = 0;
    if (bytes.size() >= 3 && (unsigned char)bytes[0] == 0xEF && (unsigned char)bytes[1] == 0xBB &&
        (unsigned char)bytes[2] == 0xBF) {
        return bytes.substr(3);
    }
    if (bytes.size() < 2 || (unsigned char)bytes[0] != 0xFF || (unsigned char)bytes[1] != 0xFE) {
        return bytes;
    }
    size_t replaced = std::string::npos;
    std::string text = brevant::text::ansiFromUtf16le(std::string_view(bytes).substr(2), &replaced);
    if (replaced != std::string::npos) {
        replacedOnLine = 1 + (int)std::count(text.begin(), text.begin() + replaced, '\n');
    }
    return text;
}

// A quoted text starting at text[pos] == '"', with the escapes \\ and \".
// On success pos is just past the closing quote. A backslash before any other
// character is kept as it stands and reported through `oddEscape`.
bool readQuoted(const std::string& text, size_t& pos, std::string& out, bool& oddEscape) {
    out.clear();
    size_t i = pos + 1;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == '"') {
            pos = i + 1;
            return true;
        }
        if (ch == '\\') {
            if (i + 1 >= text.size()) {
                return false;
            }
            const char next = text[i + 1];
            if (next == '\\' || next == '"') {
                out += next;
                i += 2;
                continue;
            }
            oddEscape = true;
            out += ch;
            ++i;
            continue;
        }
        out += ch;
        ++i;
    }
    return false;
}

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '\\' || ch == '"') {
            out += '\\';
        }
        out += ch;
    }
    out += '"';
    return out;
}

// "xx,xx,..." into at most maxBytes bytes; a trailing comma is allowed. False
// with a problem text when a byte is not one or two hexadecimal digits.
bool readHexList(const std::string& list, size_t maxBytes, std::string& out, std::string& problem) {
    out.clear();
    size_t pos = 0;
    const std::string text = trimBlanks(list);
    if (text.empty()) {
        return true;
    }
    while (pos <= text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        const std::string token = trimBlanks(text.substr(pos, comma - pos));
        if (token.empty() && comma == text.size() && pos > 0) {
            break;  // "xx,xx," : the trailing comma
        }
        if (token.empty() || token.size() > 2 || hexDigit(token[0]) < 0 ||
            (token.size() == 2 && hexDigit(token[1]) < 0)) {
            problem = "a hex list with a byte that is not one or two hexadecimal digits";
            return false;
        }
        int value = hexDigit(token[0]);
        if (token.size() == 2) {
            value = value * 16 + hexDigit(token[1]);
        }
        if (out.size() >= maxBytes) {
            problem = "a value larger than " + std::to_string(kMaxValueBytes) + " bytes";
            return false;
        }
        out += (char)value;
        pos = comma + 1;
    }
    return true;
}

bool endsWithContinuation(const std::string& line) {
    const std::string text = trimBlanks(line);
    return !text.empty() && text.back() == '\\';
}

std::string withoutContinuation(const std::string& line) {
    std::string text = trimBlanks(line);
    if (!text.empty() && text.back() == '\\') {
        text.pop_back();
    }
    return text;
}

// Expandable texts (REG_EXPAND_SZ) and text lists (REG_MULTI_SZ): the types
// whose hex lists hold UTF-16 text in a "Windows Registry Editor Version 5.00"
// file, while the A calls give and take them as single bytes.
bool isUtf16Text(uint32_t type) {
    return type == 2 || type == 7;
}

// The longest a hex list may be in text: three characters a byte (two bytes a
// character of a UTF-16 text), blanks and line breaks aside. Longer lists are
// refused before they are decoded.
constexpr size_t kMaxHexListText = 2 * kMaxValueBytes * 4 + 4096;

}  // namespace

// ---------------------------------------------------------------------------

bool PathLess::operator()(const std::string& a, const std::string& b) const {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const int ca = a[i] == '\\' ? 0 : (int)(unsigned char)a[i] + 1;
        const int cb = b[i] == '\\' ? 0 : (int)(unsigned char)b[i] + 1;
        if (ca != cb) {
            return ca < cb;
        }
    }
    return a.size() < b.size();
}

std::string lowerCase(const std::string& text) {
    return brevant::text::lower(text);
}

bool sameName(const std::string& a, const std::string& b) {
    return brevant::text::sameText(a, b);
}

std::string normalisePath(const std::string& path) {
    std::string out;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string::npos) {
            next = path.size();
        }
        if (next > pos) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(path, pos, next - pos);
        }
        pos = next + 1;
    }
    return out;
}

std::string joinPath(const std::string& parent, const std::string& child) {
    const std::string sub = normalisePath(child);
    if (parent.empty()) {
        return sub;
    }
    if (sub.empty()) {
        return parent;
    }
    return parent + "\\" + sub;
}

void ParseReport::add(int line, const std::string& problem) {
    if (problems == 0) {
        firstLine = line;
        firstProblem = problem;
    }
    ++problems;
}

// ---------------------------------------------------------------------------

Key* Hive::find(const std::string& path) {
    auto it = m_keys.find(lowerCase(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const Key* Hive::find(const std::string& path) const {
    auto it = m_keys.find(lowerCase(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

bool Hive::exists(const std::string& path) const {
    if (path.empty()) {
        return true;
    }
    const std::string lower = lowerCase(path);
    if (m_keys.count(lower) != 0) {
        return true;
    }
    const std::string prefix = lower + "\\";
    auto it = m_keys.lower_bound(prefix);
    return it != m_keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

std::string Hive::storedPath(const std::string& path) const {
    std::string stored;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string::npos) {
            next = path.size();
        }
        const std::string candidate =
            (stored.empty() ? "" : stored + "\\") + path.substr(pos, next - pos);
        const Key* key = find(candidate);
        if (key != nullptr) {
            stored = key->path;
        } else {
            // A middle key known only through its subkeys keeps the case of
            // the first subkey section that names it.
            const std::string prefix = lowerCase(candidate) + "\\";
            auto it = m_keys.lower_bound(prefix);
            if (it != m_keys.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
                stored = it->second.path.substr(0, candidate.size());
            } else {
                stored = candidate;
            }
        }
        pos = next + 1;
    }
    return stored;
}

Key& Hive::create(const std::string& path, bool& created) {
    created = false;
    const std::string stored = storedPath(path);
    if (stored.empty()) {
        auto it = m_keys.find("");
        if (it == m_keys.end()) {
            it = m_keys.emplace("", Key{"", {}}).first;
        }
        return it->second;
    }
    Key* result = nullptr;
    size_t pos = 0;
    while (pos <= stored.size()) {
        size_t next = stored.find('\\', pos);
        if (next == std::string::npos) {
            next = stored.size();
        }
        const std::string prefix = stored.substr(0, next);
        const std::string lower = lowerCase(prefix);
        auto it = m_keys.find(lower);
        if (it == m_keys.end()) {
            it = m_keys.emplace(lower, Key{prefix, {}}).first;
            if (next == stored.size()) {
                created = true;
            }
        }
        result = &it->second;
        pos = next + 1;
    }
    return *result;
}

void Hive::remove(const std::string& path) {
    if (path.empty()) {
        m_keys.clear();
        return;
    }
    const std::string lower = lowerCase(path);
    m_keys.erase(lower);
    const std::string prefix = lower + "\\";
    auto it = m_keys.lower_bound(prefix);
    while (it != m_keys.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
        it = m_keys.erase(it);
    }
}

const Value* Hive::findValue(const Key& key, const std::string& name) {
    for (const Value& value : key.values) {
        if (sameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void Hive::setValue(Key& key, const std::string& name, uint32_t type, std::string data) {
    for (Value& value : key.values) {
        if (sameName(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    key.values.push_back(Value{name, type, std::move(data)});
}

bool Hive::deleteValue(Key& key, const std::string& name) {
    for (auto it = key.values.begin(); it != key.values.end(); ++it) {
        if (sameName(it->name, name)) {
            key.values.erase(it);
            return true;
        }
    }
    return false;
}

bool Hive::operator==(const Hive& other) const {
    if (m_keys.size() != other.m_keys.size()) {
        return false;
    }
    auto a = m_keys.begin();
    auto b = other.m_keys.begin();
    for (; a != m_keys.end(); ++a, ++b) {
        if (a->first != b->first || a->second.path != b->second.path ||
            a->second.values.size() != b->second.values.size()) {
            return false;
        }
        for (size_t i = 0; i < a->second.values.size(); ++i) {
            const Value& va = a->second.values[i];
            const Value& vb = b->second.values[i];
            if (va.name != vb.name || va.type != vb.type || va.data != vb.data) {
                return false;
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------

Hive parseHive(const std::string& bytes, const std::string& rootName, ParseReport& report) {
    Hive hive;
    int replacedOnLine = 0;
    const std::string text = decodeText(bytes, replacedOnLine);
    if (replacedOnLine != 0) {
        report.add(replacedOnLine, "characters that have no single-byte form (read as \"?\")");
    }
    if (text.empty()) {
        report.add(1, "the file is empty");
        return hive;
    }

    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        pos = end + 1;
    }

    bool headerSeen = false;
    // Texts in hex lists are UTF-16 in the format of the registry editor of
    // Windows 2000 on, single bytes in the REGEDIT4 format.
    bool unicodeFile = true;
    bool inKey = false;     // value lines belong to currentKey
    bool skipping = false;  // in a section that was refused or deleted
    std::string currentKey;

    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = (int)i + 1;
        const std::string line = trimBlanks(lines[i]);
        if (line.empty()) {
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (line == kHeader || line == kOldHeader) {
                unicodeFile = line == kHeader;
                continue;
            }
            report.add(lineNumber, "the first line is not \"" + std::string(kHeader) + "\"");
        }
        if (line[0] == ';') {
            continue;  // a comment
        }

        if (line[0] == '[') {
            inKey = false;
            skipping = true;
            if (line.back() != ']') {
                report.add(lineNumber, "a key section without its closing \"]\"");
                continue;
            }
            std::string inner = line.substr(1, line.size() - 2);
            const bool deletion = !inner.empty() && inner[0] == '-';
            if (deletion) {
                inner.erase(0, 1);
            }
            const size_t slash = inner.find('\\');
            const std::string root = inner.substr(0, slash);
            if (!sameName(root, rootName)) {
                report.add(lineNumber, "a key outside " + rootName);
                continue;
            }
            const std::string path =
                normalisePath(slash == std::string::npos ? "" : inner.substr(slash + 1));
            bool tooLong = false;
            size_t start = 0;
            while (start <= path.size()) {
                size_t next = path.find('\\', start);
                if (next == std::string::npos) {
                    next = path.size();
                }
                tooLong = tooLong || next - start > kMaxKeyNameLength;
                start = next + 1;
            }
            if (tooLong) {
                report.add(lineNumber, "a key name longer than " +
                                           std::to_string(kMaxKeyNameLength) + " characters");
                continue;
            }
            if (deletion) {
                hive.remove(path);
                continue;
            }
            bool created = false;
            currentKey = hive.create(path, created).path;
            inKey = true;
            skipping = false;
            continue;
        }

        if (line[0] != '@' && line[0] != '"') {
            report.add(lineNumber, "a line that is not a key section, a value or a comment");
            continue;
        }

        // A value line: name, "=", data. Hex lists may go on over the lines
        // that follow, each ending in a backslash but the last.
        size_t at = 0;
        std::string name;
        bool oddEscape = false;
        if (line[0] == '@') {
            at = 1;
        } else if (!readQuoted(line, at, name, oddEscape)) {
            report.add(lineNumber, "a value name without its closing quote");
            continue;
        }
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at >= line.size() || line[at] != '=') {
            report.add(lineNumber, "a value line without \"=\"");
            continue;
        }
        ++at;
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }

        // Gather a hex list with its continuation lines first, so that a bad
        // value never leaves its tail to be read as lines of their own.
        const bool isHex =
            brevant::text::startsWithNoCase(std::string_view(line).substr(at), "hex:") ||
            brevant::text::startsWithNoCase(std::string_view(line).substr(at), "hex(");
        std::string hexText;
        bool cutOff = false;
        bool overlong = false;
        if (isHex) {
            hexText = line.substr(at);
            if (endsWithContinuation(hexText)) {
                hexText = withoutContinuation(hexText);
                for (;;) {
                    if (i + 1 >= lines.size()) {
                        cutOff = true;
                        break;
                    }
                    ++i;
                    const std::string& next = lines[i];
                    if (!overlong) {
                        hexText += withoutContinuation(next);
                        overlong = hexText.size() > kMaxHexListText;
                        if (overlong) {
                            hexText.clear();
                        }
                    }
                    if (!endsWithContinuation(next)) {
                        break;
                    }
                }
            }
        }

        if (!inKey) {
            if (!skipping) {
                report.add(lineNumber, "a value line before the first key section");
            }
            continue;
        }
        if (name.size() > kMaxValueNameLength) {
            report.add(lineNumber, "a value name longer than " +
                                       std::to_string(kMaxValueNameLength) + " characters");
            continue;
        }
        Key* key = hive.find(currentKey);
        if (key == nullptr) {
            continue;  // cannot happen: the section made it
        }

        if (isHex) {
            if (cutOff) {
                report.add(lineNumber, "a hex list cut off at the end of the file");
                continue;
            }
            if (overlong) {
                report.add(lineNumber,
                           "a value larger than " + std::to_string(kMaxValueBytes) + " bytes");
                continue;
            }
            uint32_t type = 3;  // REG_BINARY
            size_t listStart = 4;
            if (brevant::text::startsWithNoCase(hexText, "hex(")) {
                const size_t close = hexText.find(')');
                const std::string digits =
                    close == std::string::npos ? "" : hexText.substr(4, close - 4);
                bool good = !digits.empty() && digits.size() <= 8 && close + 1 < hexText.size() &&
                            hexText[close + 1] == ':';
                type = 0;
                for (char ch : digits) {
                    good = good && hexDigit(ch) >= 0;
                    type = type * 16 + (uint32_t)(hexDigit(ch) < 0 ? 0 : hexDigit(ch));
                }
                if (!good) {
                    report.add(lineNumber, "a hex type that is not \"hex(N):\"");
                    continue;
                }
                listStart = close + 2;
            }
            std::string data;
            std::string problem;
            const bool utf16 = isUtf16Text(type) && unicodeFile;
            if (!readHexList(hexText.substr(listStart), utf16 ? 2 * kMaxValueBytes : kMaxValueBytes,
                             data, problem)) {
                report.add(lineNumber, problem);
                continue;
            }
            if (utf16) {
                if (data.size() % 2 != 0) {
                    report.add(lineNumber, "a hex(" + std::to_string(type) +
                                               ") text of an odd number of bytes, which is no "
                                               "UTF-16 text");
                    continue;
                }
                data = brevant::text::ansiFromUtf16le(data);
            }
            if (oddEscape) {
                report.add(lineNumber,
                           "a backslash before a character other than \\ or \" "
                           "(kept as it stands)");
            }
            Hive::setValue(*key, name, type, std::move(data));
            continue;
        }

        const std::string rest = line.substr(at);
        if (rest == "-") {
            Hive::deleteValue(*key, name);
            continue;
        }
        if (!rest.empty() && rest[0] == '"') {
            size_t end = 0;
            std::string data;
            if (!readQuoted(rest, end, data, oddEscape)) {
                report.add(lineNumber, "a text without its closing quote");
                continue;
            }
            if (!trimBlanks(rest.substr(end)).empty()) {
                report.add(lineNumber, "more after the closing quote of a text");
                continue;
            }
            if (data.size() >= kMaxValueBytes) {
                report.add(lineNumber,
                           "a value larger than " + std::to_string(kMaxValueBytes) + " bytes");
                continue;
            }
            if (oddEscape) {
                report.add(lineNumber,
                           "a backslash before a character other than \\ or \" "
                           "(kept as it stands)");
            }
            data += '\0';
            Hive::setValue(*key, name, 1 /* REG_SZ */, std::move(data));
            continue;
        }
        if (brevant::text::startsWithNoCase(rest, "dword:")) {
            const std::string digits = trimBlanks(rest.substr(6));
            bool good = !digits.empty() && digits.size() <= 8;
            uint32_t number = 0;
            for (char ch : digits) {
                good = good && hexDigit(ch) >= 0;
                number = number * 16 + (uint32_t)(hexDigit(ch) < 0 ? 0 : hexDigit(ch));
            }
            if (!good) {
                report.add(lineNumber, "a dword that is not one to eight hexadecimal digits");
                continue;
            }
            std::string data(4, '\0');
            for (int b = 0; b < 4; ++b) {
                data[b] = (char)((number >> (8 * b)) & 0xFF);
            }
            Hive::setValue(*key, name, 4 /* REG_DWORD */, std::move(data));
            continue;
        }
        report.add(lineNumber,
                   "a value of an unknown form (not \"text\", dword:, hex: or hex(N):)");
    }
    return hive;
}

// ---------------------------------------------------------------------------

namespace {

// A REG_SZ value is written as quoted text when it reads back byte for byte:
// one terminating zero, no other zero, no line break.
bool writableAsText(const std::string& data) {
    if (data.empty() || data.back() != '\0') {
        return false;
    }
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == '\0' || data[i] == '\r' || data[i] == '\n') {
            return false;
        }
    }
    return true;
}

void appendHexList(std::string& out, const std::string& prefix, const std::string& data) {
    // As the registry editor writes it: lines of at most 80 columns, each
    // continued with a backslash, the next indented by two blanks.
    static const char digits[] = "0123456789abcdef";
    out += prefix;
    size_t column = prefix.size();
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0 && column + 3 > 79) {
            out += "\\\r\n  ";
            column = 2;
        }
        const unsigned char byte = (unsigned char)data[i];
        out += digits[byte >> 4];
        out += digits[byte & 15];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
        }
    }
    out += "\r\n";
}

}  // namespace

std::string formatHive(const Hive& hive, const std::string& rootName) {
    std::string out = std::string(kHeader) + "\r\n";
    for (const auto& entry : hive.keys()) {
        const Key& key = entry.second;
        out += "\r\n[" + rootName + (key.path.empty() ? "" : "\\" + key.path) + "]\r\n";
        for (const Value& value : key.values) {
            const std::string name = value.name.empty() ? "@" : quote(value.name);
            if (value.type == 1 && writableAsText(value.data)) {
                out += name + "=" + quote(value.data.substr(0, value.data.size() - 1)) + "\r\n";
            } else if (value.type == 4 && value.data.size() == 4) {
                uint32_t number = 0;
                for (int b = 3; b >= 0; --b) {
                    number = (number << 8) | (unsigned char)value.data[b];
                }
                char text[32];
                snprintf(text, sizeof text, "=dword:%08x\r\n", number);
                out += name + text;
            } else if (value.type == 3) {
                appendHexList(out, name + "=hex:", value.data);
            } else if (isUtf16Text(value.type)) {
                char type[32];
                snprintf(type, sizeof type, "=hex(%x):", value.type);
                appendHexList(out, name + type, brevant::text::utf16leFromAnsi(value.data));
            } else {
                char type[32];
                snprintf(type, sizeof type, "=hex(%x):", value.type);
                appendHexList(out, name + type, value.data);
            }
        }
    }
    out += "\r\n";
    return out;
}

}  // namespace brevant::platform::registry
