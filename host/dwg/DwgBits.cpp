// Bit-level values, the file's CRC and the section marks.
#include "DwgBits.h"

#include <cstring>

namespace brevant::dwg {

const uint8_t kHeaderVariablesStart[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                           0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
const uint8_t kHeaderVariablesEnd[16] = {0x30, 0x84, 0xE0, 0xDC, 0x02, 0x21, 0xC7, 0x56,
                                         0xA0, 0x83, 0x97, 0x47, 0xB1, 0x92, 0xCC, 0xA0};
const uint8_t kClassesStart[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                   0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
const uint8_t kClassesEnd[16] = {0x72, 0x5E, 0x3B, 0x47, 0x3B, 0x56, 0x07, 0x3A,
                                 0x3F, 0x23, 0x0B, 0xA0, 0x18, 0x30, 0x49, 0x75};
const uint8_t kPreviewStart[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                   0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
const uint8_t kPreviewEnd[16] = {0xE0, 0xDA, 0x92, 0xF8, 0x2B, 0xC9, 0xD7, 0xD7,
                                 0x62, 0xA8, 0x35, 0xC0, 0x62, 0xBB, 0xEF, 0xD4};
const uint8_t kFileHeaderEnd[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                    0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};

uint64_t HandleRef::resolve(uint64_t holder) const {
    switch (code) {
        case 0x6:
            return holder + 1;
        case 0x8:
            return holder - 1;
        case 0xA:
            return holder + value;
        case 0xC:
            return holder - value;
        default:
            return value;
    }
}

bool BitReader::need(size_t bits) {
    if (!m_ok || m_end - m_pos < bits) {
        m_ok = false;
        return false;
    }
    return true;
}

void BitReader::seek(size_t bit) {
    if (bit > m_end) {
        m_ok = false;
        return;
    }
    m_pos = bit;
}

// The 8 bits from `bit` on; the caller has made sure they are inside the limit.
uint8_t BitReader::byteAt(size_t bit) const {
    const size_t i = bit >> 3;
    const unsigned shift = unsigned(bit & 7);
    if (shift == 0)
        return m_data[i];
    return uint8_t((m_data[i] << shift) | (m_data[i + 1] >> (8 - shift)));
}

bool BitReader::bit() {
    if (!need(1))
        return false;
    const bool b = (m_data[m_pos >> 3] >> (7 - (m_pos & 7))) & 1;
    ++m_pos;
    return b;
}

unsigned BitReader::bits2() {
    unsigned high = bit() ? 2 : 0;
    return high | (bit() ? 1 : 0);
}

uint8_t BitReader::rawChar() {
    if (!need(8))
        return 0;
    uint8_t b = byteAt(m_pos);
    m_pos += 8;
    return b;
}

uint16_t BitReader::rawShort() {
    if (!need(16))
        return 0;
    uint16_t lo = rawChar();
    return uint16_t(lo | (rawChar() << 8));
}

uint32_t BitReader::rawLong() {
    if (!need(32))
        return 0;
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k)
        v |= uint32_t(rawChar()) << (8 * k);
    return v;
}

double BitReader::rawDouble() {
    if (!need(64))
        return 0.0;
    uint64_t v = 0;
    for (int k = 0; k < 8; ++k)
        v |= uint64_t(rawChar()) << (8 * k);
    double d;
    memcpy(&d, &v, sizeof d);
    return d;
}

uint16_t BitReader::bitShort() {
    switch (bits2()) {
        case 0:
            return rawShort();
        case 1:
            return rawChar();
        case 2:
            return 0;
        default:
            return 256;
    }
}

uint32_t BitReader::bitLong() {
    switch (bits2()) {
        case 0:
            return rawLong();
        case 1:
            return rawChar();
        case 2:
            return 0;
        default:
            fail();  // the format does not use this code
            return 0;
    }
}

double BitReader::bitDouble() {
    switch (bits2()) {
        case 0:
            return rawDouble();
        case 1:
            return 1.0;
        case 2:
            return 0.0;
        default:
            fail();
            return 0.0;
    }
}

double BitReader::defaulted(double fallback) {
    unsigned code = bits2();
    if (code == 0)
        return fallback;
    if (code == 3)
        return rawDouble();
    uint8_t image[8];
    memcpy(image, &fallback, sizeof image);
    if (code == 1) {
        bytes(image, 4);
    } else {
        bytes(image + 4, 2);
        bytes(image, 4);
    }
    double d;
    memcpy(&d, image, sizeof d);
    return d;
}

Point3 BitReader::extrusion() {
    if (bit())
        return Point3{0.0, 0.0, 1.0};
    return point3();
}

double BitReader::thickness() {
    return bit() ? 0.0 : bitDouble();
}

Point3 BitReader::point3() {
    Point3 p;
    p.x = bitDouble();
    p.y = bitDouble();
    p.z = bitDouble();
    return p;
}

int16_t BitReader::color() {
    return int16_t(bitShort());
}

HandleRef BitReader::handle() {
    HandleRef h;
    uint8_t first = rawChar();
    h.code = first >> 4;
    const unsigned counter = first & 0x0F;
    switch (h.code) {
        case 0x0:
        case 0x2:
        case 0x3:
        case 0x4:
        case 0x5:
        case 0x6:
        case 0x8:
        case 0xA:
        case 0xC:
            break;
        default:
            fail();  // a code the format does not have
            return HandleRef{};
    }
    if (counter > 8) {
        fail();  // more than a 64-bit handle
        return HandleRef{};
    }
    for (unsigned k = 0; k < counter; ++k)
        h.value = (h.value << 8) | rawChar();
    return h;
}

std::string BitReader::text() {
    const size_t length = bitShort();
    if (!need(length * 8))
        return {};
    std::string s(length, '\0');
    for (size_t k = 0; k < length; ++k, m_pos += 8)
        s[k] = char(byteAt(m_pos));
    if (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

void BitReader::bytes(uint8_t* out, size_t n) {
    if (n > 0 && (n > SIZE_MAX / 8 || !need(n * 8))) {
        m_ok = false;
        memset(out, 0, n);
        return;
    }
    for (size_t k = 0; k < n; ++k, m_pos += 8)
        out[k] = byteAt(m_pos);
}

void BitReader::skipBytes(size_t n) {
    if (n > SIZE_MAX / 8 || !need(n * 8)) {
        m_ok = false;
        return;
    }
    m_pos += n * 8;
}

uint16_t crc16(uint16_t seed, const uint8_t* data, size_t size) {
    static const auto table = [] {
        struct Table {
            uint16_t v[256];
        } t{};
        for (unsigned i = 0; i < 256; ++i) {
            uint16_t c = uint16_t(i);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? uint16_t((c >> 1) ^ 0xA001) : uint16_t(c >> 1);
            t.v[i] = c;
        }
        return t;
    }();
    uint16_t crc = seed;
    for (size_t k = 0; k < size; ++k)
        crc = uint16_t((crc >> 8) ^ table.v[(crc ^ data[k]) & 0xFF]);
    return crc;
}

bool modularChar(const uint8_t* data, size_t& pos, size_t end, uint64_t& value) {
    uint64_t v = 0;
    size_t p = pos;
    for (unsigned shift = 0; shift < 63; shift += 7) {
        if (p >= end)
            return false;
        const uint8_t b = data[p++];
        v |= uint64_t(b & 0x7F) << shift;
        if (!(b & 0x80)) {
            value = v;
            pos = p;
            return true;
        }
    }
    return false;
}

bool signedModularChar(const uint8_t* data, size_t& pos, size_t end, int64_t& value) {
    uint64_t v = 0;
    size_t p = pos;
    for (unsigned shift = 0; shift < 63; shift += 7) {
        if (p >= end)
            return false;
        const uint8_t b = data[p++];
        if (!(b & 0x80)) {
            // The last byte: bit 6 is the sign, bits 0-5 the value's top.
            v |= uint64_t(b & 0x3F) << shift;
            value = (b & 0x40) ? -int64_t(v) : int64_t(v);
            pos = p;
            return true;
        }
        v |= uint64_t(b & 0x7F) << shift;
    }
    return false;
}

bool modularShort(const uint8_t* data, size_t& pos, size_t end, uint32_t& value) {
    uint32_t v = 0;
    size_t p = pos;
    // Two words carry 30 bits, more than any object of a file under 4 GB needs.
    for (unsigned shift = 0; shift < 30; shift += 15) {
        if (p > end || end - p < 2)
            return false;
        const uint16_t w = uint16_t(data[p] | (data[p + 1] << 8));
        p += 2;
        v |= uint32_t(w & 0x7FFF) << shift;
        if (!(w & 0x8000)) {
            value = v;
            pos = p;
            return true;
        }
    }
    return false;
}

}  // namespace brevant::dwg
