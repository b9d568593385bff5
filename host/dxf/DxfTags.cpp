// Tag reader and writer of the drawing store.
#include "DxfTags.h"

#include <brevant/text.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace brevant::dxf {

namespace {

// The kind of each group code from 0 to 1071.
constexpr ValueKind kindOfCode(int c) {
    // Group 5 is a handle in objects but a name in release-12 dimension styles.
    if (c <= 9) {
        return ValueKind::String;
    }
    if (c <= 59) {
        return ValueKind::Double;
    }
    if (c <= 79) {
        return ValueKind::Int16;
    }
    if (c >= 90 && c <= 99) {
        return ValueKind::Int32;
    }
    if (c == 105) {
        return ValueKind::Handle;
    }
    if (c >= 110 && c <= 149) {
        return ValueKind::Double;
    }
    if (c >= 160 && c <= 169) {
        return ValueKind::Int64;
    }
    if (c >= 170 && c <= 179) {
        return ValueKind::Int16;
    }
    if (c >= 210 && c <= 239) {
        return ValueKind::Double;
    }
    if (c >= 270 && c <= 289) {
        return ValueKind::Int16;
    }
    if (c >= 290 && c <= 299) {
        return ValueKind::Bool;
    }
    if (c >= 310 && c <= 319) {
        return ValueKind::Binary;
    }
    if (c >= 320 && c <= 369) {
        return ValueKind::Handle;
    }
    if (c >= 370 && c <= 389) {
        return ValueKind::Int16;
    }
    if (c >= 390 && c <= 399) {
        return ValueKind::Handle;
    }
    if (c >= 400 && c <= 409) {
        return ValueKind::Int16;
    }
    if ((c >= 420 && c <= 429) || (c >= 440 && c <= 459)) {
        return ValueKind::Int32;
    }
    if (c >= 460 && c <= 469) {
        return ValueKind::Double;
    }
    if (c == 480 || c == 481) {
        return ValueKind::Handle;
    }
    if (c == 1004) {
        return ValueKind::Binary;
    }
    if (c == 1005) {
        return ValueKind::Handle;
    }
    if (c >= 1010 && c <= 1059) {
        return ValueKind::Double;
    }
    if (c >= 1060 && c <= 1070) {
        return ValueKind::Int16;
    }
    if (c == 1071) {
        return ValueKind::Int32;
    }
    // Strings, and codes the format leaves unassigned: kept as text.
    return ValueKind::String;
}

// Every tag read asks for its code's kind: a table answers.
constexpr std::array<ValueKind, 1072> kKinds = [] {
    std::array<ValueKind, 1072> table{};
    for (int code = 0; code < int(table.size()); ++code) {
        table[size_t(code)] = kindOfCode(code);
    }
    return table;
}();

}  // namespace

ValueKind valueKind(int c) {
    return (c < 0 || c >= int(kKinds.size())) ? ValueKind::Invalid : kKinds[size_t(c)];
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    // Most values have no blanks at either end.
    if (text.empty() || (!isBlank(text.front()) && !isBlank(text.back()))) {
        return text;
    }
    return brevant::text::trimmed(text, " \t\r");
}

namespace {

// A whole number of the given type: blanks around it and a leading "+" are
// allowed, anything else left over is not.
template <typename T>
bool parseNumber(std::string_view text, T& value) {
    text = trimmed(text);
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// Powers of ten that a double holds exactly.
const double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common form of a real value, "-123.4500", read without the general
// parser: an optional minus, digits and at most one point, no exponent, at
// most 15 digits with at most 22 after the point. Its digits make an integer
// that a double holds exactly, and so does the power of ten it is divided by,
// so the one division rounds as the general parser does. False for any other
// form, which the general parser then reads.
bool parsePlainDecimal(std::string_view text, double& value) {
    size_t k = 0;
    const bool negative = !text.empty() && text[0] == '-';
    k += negative ? 1 : 0;
    uint64_t digits = 0;
    int count = 0;
    int after = -1;  // digits after the point; -1: no point yet
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (c >= '0' && c <= '9') {
            if (++count > 15) {
                return false;
            }
            digits = digits * 10 + uint64_t(c - '0');
            after += after >= 0 ? 1 : 0;
        } else if (c == '.' && after < 0) {
            after = 0;
        } else {
            return false;
        }
    }
    if (count == 0 || after > 22) {
        return false;
    }
    const double magnitude = double(digits) / kExactPowersOfTen[after > 0 ? after : 0];
    value = negative ? -magnitude : magnitude;
    return true;
}

// The common form of a whole number: an optional minus and 1 to 18 digits.
bool parsePlainInteger(std::string_view text, int64_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    const size_t first = negative ? 1 : 0;
    if (text.size() <= first || text.size() - first > 18) {
        return false;
    }
    int64_t magnitude = 0;
    for (size_t k = first; k < text.size(); ++k) {
        const char c = text[k];
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

bool parseDouble(std::string_view text, double& value) {
    return parsePlainDecimal(text, value) || parseNumber(text, value);
}

bool parseInt(std::string_view text, int64_t& value) {
    return parsePlainInteger(text, value) || parseNumber(text, value);
}

bool parseHandle(std::string_view text, uint64_t& value) {
    text = trimmed(text);
    if (text.empty() || text.size() > 16) {
        return false;
    }
    // Up to 16 hexadecimal digits cannot overflow. As the standard parser
    // does, the digits before anything else are still given in `value`.
    uint64_t handle = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            if (k > 0) {
                value = handle;
            }
            return false;
        }
        handle = handle << 4 | uint64_t(digit);
    }
    value = handle;
    return true;
}

std::string formatDouble(double value) {
    char buffer[64];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, r.ptr);
    // DXF readers expect a decimal point in real values.
    if (text.find_first_of(".eEn") == std::string::npos) {
        text += ".0";
    }
    return text;
}

std::string formatHandle(uint64_t handle) {
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, handle, 16);
    return brevant::text::upper(std::string_view(buffer, size_t(r.ptr - buffer)));
}

namespace {

bool isHexText(std::string_view text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string shown(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    const size_t limit = 40;
    std::string s;
    for (size_t k = 0; k < text.size() && k < limit; ++k) {
        const unsigned char c = (unsigned char)text[k];
        if (c >= 32 && c < 127) {
            s += char(c);
        } else {
            s += "\\x";
            s += digits[c >> 4];
            s += digits[c & 15];
        }
    }
    if (text.size() > limit) {
        s += "...";
    }
    return s;
}

const char* checkValue(int code, std::string_view v) {
    switch (valueKind(code)) {
        case ValueKind::Double: {
            double d;
            return parseDouble(v, d) ? nullptr : "is not a real number";
        }
        case ValueKind::Int16:
        case ValueKind::Bool: {
            int64_t i;
            if (!parseInt(v, i)) {
                return "is not an integer";
            }
            return (i < -32768 || i > 65535) ? "is out of range for a 16-bit integer" : nullptr;
        }
        case ValueKind::Int32: {
            int64_t i;
            if (!parseInt(v, i)) {
                return "is not an integer";
            }
            return (i < INT32_MIN || i > int64_t(UINT32_MAX))
                       ? "is out of range for a 32-bit integer"
                       : nullptr;
        }
        case ValueKind::Int64: {
            int64_t i;
            if (parseInt(v, i)) {
                return nullptr;
            }
            uint64_t u;  // 64-bit values are also written unsigned
            std::string_view t = trimmed(v);
            auto r = std::from_chars(t.data(), t.data() + t.size(), u);
            return (!t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size())
                       ? nullptr
                       : "is not an integer";
        }
        case ValueKind::Binary:
            return isHexText(trimmed(v)) ? nullptr : "is not hexadecimal binary data";
        default:
            return nullptr;
    }
}

std::string TagFile::where(uint32_t index) const {
    if (m_format.binary) {
        return "byte " + std::to_string(index < m_places.size() ? m_places[index] : 0);
    }
    if (index < m_places.size()) {
        return "line " + std::to_string(m_places[index]);  // read leniently: lines were dropped
    }
    return "line " + std::to_string(2 * uint64_t(index) + 1);
}

uint32_t TagFile::longLength(const Tag& tag) const {
    const auto it = std::lower_bound(m_longValues.begin(), m_longValues.end(),
                                     std::make_pair(tag.offset, uint32_t(0)));
    return it != m_longValues.end() && it->first == tag.offset ? it->second : 0;
}

bool TagFile::parse(std::vector<char>&& buffer, std::string& error,
                    std::vector<std::string>* mended) {
    m_buffer = std::move(buffer);
    m_tags.clear();
    m_longValues.clear();
    m_places.clear();
    m_format = TagFormat();
    if (m_buffer.empty()) {
        error = "the file is empty";
        return false;
    }
    if (m_buffer.size() > UINT32_MAX) {
        error = "the file is larger than 4 GB";
        return false;
    }
    if (m_buffer.size() >= kBinarySentinel.size() &&
        std::string_view(m_buffer.data(), kBinarySentinel.size()) == kBinarySentinel) {
        return parseBinary(error, mended);
    }
    return parseText(error, mended);
}

namespace {

// Line scanning eight bytes at a time. A word's bytes that equal `c` become
// 0x80 and the others 0 (exactly: no carry crosses a byte).
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

uint64_t bytesEqual(uint64_t word, char c) {
    const uint64_t x = word ^ (0x0101010101010101ULL * uint8_t(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

uint64_t load(const char* p) {
    uint64_t word;
    memcpy(&word, p, sizeof word);
    return word;
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte of a word is its lowest");

// The first `c` in [p, end), or end.
const char* findChar(const char* p, const char* end, char c) {
    for (; end - p >= 8; p += 8) {
        if (const uint64_t found = bytesEqual(load(p), c)) {
            return p + (__builtin_ctzll(found) >> 3);
        }
    }
    while (p < end && *p != c) {
        ++p;
    }
    return p;
}

// How many `c` there are in [p, end).
size_t countChar(const char* p, const char* end, char c) {
    size_t count = 0;
    for (; end - p >= 8; p += 8) {
        // One in the top bit of each matching byte: summed by a multiply.
        count += size_t(((bytesEqual(load(p), c) >> 7) * 0x0101010101010101ULL) >> 56);
    }
    for (; p < end; ++p) {
        count += *p == c ? 1 : 0;
    }
    return count;
}

// A group-code line as writers commonly write it, read straight from the
// buffer at `pos`: blanks, one to four digits, blanks, a line end. On success
// `pos` is the start of the next line; anything else is left to the general
// reading. Blanks are those the general reading trims: spaces, tabs and (in a
// file whose lines end in LF) carriage returns.
bool readPlainCodeLine(const char* base, size_t size, char breakChar, size_t& pos, int& code) {
    size_t k = pos;
    while (k < size && (base[k] == ' ' || base[k] == '\t')) {
        ++k;
    }
    const size_t first = k;
    int value = 0;
    while (k < size && base[k] >= '0' && base[k] <= '9' && k - first < 4) {
        value = value * 10 + (base[k] - '0');
        ++k;
    }
    if (k == first) {
        return false;
    }
    while (k < size &&
           (base[k] == ' ' || base[k] == '\t' || (base[k] == '\r' && breakChar == '\n'))) {
        ++k;
    }
    if (k >= size || base[k] != breakChar) {
        return false;
    }
    ++k;
    while (breakChar == '\r' && k < size && base[k] == '\n') {
        ++k;  // a CR LF among CR line ends is one line end all the same
    }
    pos = k;
    code = value;
    return true;
}

// A real value in the common form, "-123.4500": an optional minus, digits
// and at most one point, at least one digit, no exponent. Up to 300
// characters it is a number that the general parser reads without overflow
// or underflow, so it needs no closer look.
bool isPlainDecimal(std::string_view text) {
    if (text.empty() || text.size() > 300) {
        return false;
    }
    size_t k = text[0] == '-' ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace

bool TagFile::parseText(std::string& error, std::vector<std::string>* mended) {
    const char* base = m_buffer.data();
    const size_t size = m_buffer.size();
    const char* const end = base + size;
    // The line end is the file's first: CR LF, LF, or CR alone. Lines split at
    // LF (CRs before it are dropped), or at CR in a file of CR line ends.
    const char* firstBreak = base;
    while (firstBreak < end && *firstBreak != '\n' && *firstBreak != '\r') {
        ++firstBreak;
    }
    char breakChar = '\n';
    if (firstBreak < end && *firstBreak == '\r') {
        const bool crlf = firstBreak + 1 < end && firstBreak[1] == '\n';
        m_format.lineEnding = crlf ? "\r\n" : "\r";
        breakChar = crlf ? '\n' : '\r';
    } else {
        m_format.lineEnding = firstBreak < end ? "\n" : "\r\n";
    }
    // One tag for every two lines: count the lines once to allocate exactly.
    m_tags.reserve(countChar(base, end, breakChar) / 2 + 1);

    size_t pos = 0;
    uint32_t line = 0;
    auto nextLine = [&](std::string_view& out) -> bool {
        if (pos >= size) {
            return false;
        }
        const char* start = base + pos;
        const char* nl = findChar(start, end, breakChar);
        size_t len = size_t(nl - start);
        pos += len + (nl < end ? 1 : 0);
        // Carriage returns before a line feed, and line feeds after a carriage
        // return among CR line ends, belong to the line end: a value cannot
        // end in a CR (or begin with a LF) that a save would write back as
        // part of its line end.
        if (breakChar == '\n') {
            while (len > 0 && start[len - 1] == '\r') {
                --len;
            }
        } else {
            while (pos < size && base[pos] == '\n') {
                ++pos;
            }
        }
        out = std::string_view(start, len);
        ++line;
        return true;
    };
    auto fail = [&](uint32_t atLine, const std::string& what) {
        error = "line " + std::to_string(atLine) + ": " + what;
        return false;
    };
    auto note = [&](uint32_t atLine, const std::string& what) {
        mended->push_back("line " + std::to_string(atLine) + ": " + what);
    };

    std::string_view codeText;
    std::string_view value;
    while (pos < size) {
        int code = 0;
        bool number = readPlainCodeLine(base, size, breakChar, pos, code);
        if (number) {
            ++line;
        } else {
            nextLine(codeText);
            const std::string_view t = trimmed(codeText);
            auto r = std::from_chars(t.data(), t.data() + t.size(), code);
            number = !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
        }
        const uint32_t codeLine = line;
        const ValueKind kind = number ? valueKind(code) : ValueKind::Invalid;
        if (kind == ValueKind::Invalid) {
            const std::string why =
                number ? "group code " + std::to_string(code) + " is not a DXF group code"
                       : "group code \"" + shown(codeText) + "\" is not a number";
            if (mended == nullptr) {
                return fail(codeLine, why);
            }
            note(codeLine, why + "; the tag is dropped");
            nextLine(value);
            continue;
        }
        if (!nextLine(value)) {
            const std::string why =
                "the file ends after group code " + std::to_string(code) + ", before its value";
            if (mended == nullptr) {
                return fail(codeLine, why);
            }
            note(codeLine, why + "; the tag is dropped");
            break;
        }
        if (mended == nullptr && kind != ValueKind::String &&
            !(kind == ValueKind::Double && isPlainDecimal(value))) {
            if (const char* why = checkValue(code, value)) {
                return fail(line, "value \"" + shown(value) + "\" of group code " +
                                      std::to_string(code) + " " + why);
            }
        }
        addTag(size_t(value.data() - base), value.size(), code);
        if (mended != nullptr) {
            m_places.push_back(codeLine);
        }
        if (code == 0 && value == "EOF") {
            return true;  // whatever follows the end mark is not part of the drawing
        }
    }
    if (mended == nullptr) {
        return fail(line + 1, "unexpected end of file: no \"0 EOF\" end mark");
    }
    if (m_tags.empty()) {
        error = "the file holds no DXF tag";
        return false;
    }
    return true;
}

TagWriter::TagWriter(brevant::platform::AtomicFileWriter& file, const TagFormat& format)
    : m_file(&file), m_format(format), m_buffer(1 << 20) {}

TagWriter::TagWriter(std::vector<char>& memory, const TagFormat& format)
    : m_memory(&memory), m_format(format), m_buffer(1 << 16) {}

void TagWriter::drain() {
    if (m_error == 0 && m_used > 0) {
        if (m_file != nullptr) {
            m_error = m_file->write(m_buffer.data(), m_used);
        } else {
            m_memory->insert(m_memory->end(), m_buffer.data(), m_buffer.data() + m_used);
        }
        m_used = 0;
    }
}

void TagWriter::put(const char* data, size_t size) {
    while (size > 0 && m_error == 0) {
        size_t room = m_buffer.size() - m_used;
        if (room == 0) {
            drain();
            continue;
        }
        size_t n = size < room ? size : room;
        memcpy(m_buffer.data() + m_used, data, n);
        m_used += n;
        data += n;
        size -= n;
    }
}

void TagWriter::write(int code, std::string_view value) {
    if (m_format.binary) {
        writeBinary(code, value);
    } else {
        writeText(code, value);
    }
}

void TagWriter::writeText(int code, std::string_view value) {
    // Group codes stand right-aligned in three columns, as the editor writes them.
    char codeText[16];
    char* end = codeText + sizeof codeText;
    char* p = end;
    unsigned magnitude = unsigned(code < 0 ? -code : code);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (code < 0) {
        *--p = '-';
    }
    while (end - p < 3) {
        *--p = ' ';
    }
    const std::string& lineEnding = m_format.lineEnding;
    put(p, size_t(end - p));
    put(lineEnding.data(), lineEnding.size());
    put(value.data(), value.size());
    put(lineEnding.data(), lineEnding.size());
}

unsigned long TagWriter::flush() {
    drain();
    return m_error;
}

}  // namespace brevant::dxf
