// Binary DXF: after the 22-byte sentinel, each tag is its group code (two
// bytes little-endian; in release-12 files one byte, or 255 and then two
// bytes for codes from 255 up) and its value in the form the code gives:
// text and handles ended by a zero byte, reals as 8-byte IEEE doubles,
// integers of 2, 4 or 8 bytes, booleans (290-299) of one byte, and binary
// chunks (310-319, 1004) as a length byte and that many bytes. The reader
// turns every value into the text a text file would hold, so the rest of the
// store sees one kind of tag; the writer turns the text back.
#include "DxfTags.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace brevant::dxf {

namespace {

template <typename T>
T little(const unsigned char* p) {
    T value;
    memcpy(&value, p, sizeof value);  // every supported machine is little-endian
    return value;
}

// Bytes a value of the code takes after its group code; 0 for a value ended
// by a zero byte, -1 for a chunk that gives its own length.
int valueWidth(int code) {
    switch (valueKind(code)) {
        case ValueKind::Double:
            return 8;
        case ValueKind::Int16:
            return 2;
        case ValueKind::Int32:
            return 4;
        case ValueKind::Int64:
            return 8;
        case ValueKind::Bool:
            return 1;
        case ValueKind::Binary:
            return -1;
        default:
            return 0;
    }
}

}  // namespace

bool TagFile::parseBinary(std::string& error, std::vector<std::string>* mended) {
    // The values are rebuilt as text in a buffer of their own, which then
    // replaces the file's bytes.
    const std::vector<char> file = std::move(m_buffer);
    m_buffer = std::vector<char>();
    m_buffer.reserve(file.size());
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const size_t size = file.size();
    size_t pos = kBinarySentinel.size();
    m_format.binary = true;
    // A release-12 file's first tag (0 SECTION) has a one-byte code, so its
    // second byte is already the value's.
    m_format.shortCodes =
        pos + 1 < size && ((data[pos] == 0 && data[pos + 1] != 0) || data[pos] == 255);

    auto fail = [&](size_t at, const std::string& what) {
        if (mended == nullptr || m_tags.empty()) {
            error = "byte " + std::to_string(at) + ": " + what;
            return false;
        }
        mended->push_back("byte " + std::to_string(at) + ": " + what +
                          "; the file is read up to there");
        return true;
    };
    static const char digits[] = "0123456789ABCDEF";
    char number[64];
    while (pos < size) {
        const size_t start = pos;
        int code = 0;
        if (m_format.shortCodes) {
            code = data[pos++];
            if (code == 255) {
                if (size - pos < 2) {
                    return fail(start, "the file ends inside a group code");
                }
                code = little<int16_t>(data + pos);
                pos += 2;
            }
        } else {
            if (size - pos < 2) {
                return fail(start, "the file ends inside a group code");
            }
            code = little<int16_t>(data + pos);
            pos += 2;
        }
        if (valueKind(code) == ValueKind::Invalid) {
            return fail(start, "group code " + std::to_string(code) + " is not a DXF group code");
        }
        const size_t valueStart = m_buffer.size();
        const int width = valueWidth(code);
        if (width == 0) {
            const void* end = memchr(data + pos, 0, size - pos);
            if (end == nullptr) {
                return fail(start,
                            "the file ends inside the text of group code " + std::to_string(code));
            }
            const size_t length = size_t(static_cast<const unsigned char*>(end) - (data + pos));
            m_buffer.insert(m_buffer.end(), file.data() + pos, file.data() + pos + length);
            pos += length + 1;
        } else if (width < 0) {
            const size_t length = pos < size ? data[pos] : 0;
            if (pos >= size || size - pos - 1 < length) {
                return fail(start, "the file ends inside the binary data of group code " +
                                       std::to_string(code));
            }
            for (size_t k = 0; k < length; ++k) {
                const unsigned char b = data[pos + 1 + k];
                m_buffer.push_back(digits[b >> 4]);
                m_buffer.push_back(digits[b & 15]);
            }
            pos += 1 + length;
        } else {
            if (size - pos < size_t(width)) {
                return fail(start,
                            "the file ends inside the value of group code " + std::to_string(code));
            }
            std::string text;
            switch (valueKind(code)) {
                case ValueKind::Double:
                    text = formatDouble(little<double>(data + pos));
                    break;
                case ValueKind::Int16:
                    text = std::to_string(little<int16_t>(data + pos));
                    break;
                case ValueKind::Int32:
                    text = std::to_string(little<int32_t>(data + pos));
                    break;
                case ValueKind::Int64:
                    text = std::to_string(little<int64_t>(data + pos));
                    break;
                default:
                    text = std::to_string(int(data[pos]));
                    break;
            }
            const size_t n = text.copy(number, sizeof number);
            m_buffer.insert(m_buffer.end(), number, number + n);
            pos += size_t(width);
        }
        if (m_buffer.size() > 0xFFFFFFF0u) {
            // Tags refer to their text by 32-bit offsets.
            return fail(start, "the values take more than 4 GB as text");
        }
        addTag(valueStart, m_buffer.size() - valueStart, code);
        m_places.push_back(uint32_t(start));
        if (code == 0 && value(m_tags.back()) == "EOF") {
            return true;
        }
    }
    if (mended != nullptr && !m_tags.empty()) {
        mended->push_back("byte " + std::to_string(size) + ": the file ends without \"0 EOF\"");
        return true;
    }
    error = "byte " + std::to_string(size) + ": unexpected end of file: no \"0 EOF\" end mark";
    return false;
}

void TagWriter::writeBinaryCode(int code) {
    if (!m_started) {
        put(kBinarySentinel.data(), kBinarySentinel.size());
    }
    m_started = true;
    unsigned char head[3];
    const auto c = int16_t(code);
    if (!m_format.shortCodes) {
        memcpy(head, &c, 2);
        put(reinterpret_cast<const char*>(head), 2);
    } else if (code >= 0 && code < 255) {
        head[0] = (unsigned char)code;
        put(reinterpret_cast<const char*>(head), 1);
    } else {
        head[0] = 255;
        memcpy(head + 1, &c, 2);
        put(reinterpret_cast<const char*>(head), 3);
    }
}

void TagWriter::writeBinary(int code, std::string_view value) {
    writeBinaryCode(code);
    // A value that is no number of its kind (a value the editor was given
    // as text) is written as 0: the binary form has no room for it.
    int64_t i = 0;
    double d = 0;
    char bytes[8];
    switch (valueKind(code)) {
        case ValueKind::Double: {
            if (!parseDouble(value, d)) {
                d = 0;
            }
            memcpy(bytes, &d, 8);
            put(bytes, 8);
            return;
        }
        case ValueKind::Int16:
        case ValueKind::Bool:
        case ValueKind::Int32:
        case ValueKind::Int64: {
            if (!parseInt(value, i)) {
                uint64_t u = 0;
                const std::string_view t = trimmed(value);
                i = std::from_chars(t.data(), t.data() + t.size(), u).ec == std::errc() ? int64_t(u)
                                                                                        : 0;
            }
            const int width = valueWidth(code);
            const auto i16 = int16_t(i);
            const auto i32 = int32_t(i);
            const auto i8 = uint8_t(i);
            memcpy(bytes,
                   width == 1   ? static_cast<const void*>(&i8)
                   : width == 2 ? static_cast<const void*>(&i16)
                   : width == 4 ? static_cast<const void*>(&i32)
                                : static_cast<const void*>(&i),
                   size_t(width));
            put(bytes, size_t(width));
            return;
        }
        case ValueKind::Binary: {
            // A chunk holds at most 255 bytes: longer data (only the editor
            // makes it) goes out as several tags of the same code.
            const std::string_view hex = trimmed(value);
            auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
            size_t done = 0;
            do {
                if (done > 0) {
                    writeBinaryCode(code);
                }
                const size_t length = std::min<size_t>(hex.size() / 2 - done, 255);
                const auto n = (unsigned char)length;
                put(reinterpret_cast<const char*>(&n), 1);
                for (size_t k = done; k < done + length; ++k) {
                    const char b = char(nibble(hex[2 * k]) << 4 | nibble(hex[2 * k + 1]));
                    put(&b, 1);
                }
                done += length;
            } while (done < hex.size() / 2);
            return;
        }
        default: {
            put(value.data(), value.size());
            const char zero = 0;
            put(&zero, 1);
            return;
        }
    }
}

}  // namespace brevant::dxf
