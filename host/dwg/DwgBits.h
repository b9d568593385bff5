// The bit-level values of a release-15 drawing file. Most of the file is a bit
// stream: values start at any bit, multi-byte raw values are little-endian
// bytes read from the current bit, and compressed forms (bitshort, bitlong,
// bitdouble, handle references, texts) begin with a few bits that say how the
// value is stored.
//
// A reader never reads past its limit: a read that would is refused, gives 0
// (or an empty value), and leaves the reader failed for good, so a parser can
// read a whole record and check ok() once at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace brevant::dwg {

// A reference to another object: its code says how the value relates to the
// handle of the object that holds the reference.
struct HandleRef {
    uint8_t code = 0;
    uint64_t value = 0;
    // The handle referred to, seen from the object whose handle is `holder`;
    // 0 for no object.
    uint64_t resolve(uint64_t holder) const;
};

struct Point3 {
    double x = 0, y = 0, z = 0;
};

class BitReader {
public:
    // Reads bits [beginBit, endBit) of the bytes at data.
    BitReader(const uint8_t* data, size_t beginBit, size_t endBit)
        : m_data(data), m_pos(beginBit), m_end(endBit) {}

    bool ok() const { return m_ok; }
    // After a failure: whether a value held a code the format does not use,
    // rather than running past the limit.
    bool invalid() const { return m_invalid; }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_ok ? m_end - m_pos : 0; }
    // Moves to an absolute bit; a position beyond the limit fails the reader.
    void seek(size_t bit);
    // Fails the reader: a value read was impossible (a count too large for the
    // bits left, a code that is never used).
    void fail() {
        m_ok = false;
        m_invalid = true;
    }

    bool bit();                         // B
    unsigned bits2();                   // BB
    uint8_t rawChar();                  // RC
    uint16_t rawShort();                // RS
    uint32_t rawLong();                 // RL
    double rawDouble();                 // RD
    uint16_t bitShort();                // BS
    uint32_t bitLong();                 // BL
    double bitDouble();                 // BD
    double defaulted(double fallback);  // DD
    Point3 extrusion();                 // BE
    double thickness();                 // BT
    Point3 point3();                    // 3BD
    int16_t color();                    // CMC: the colour index, signed
    HandleRef handle();                 // H
    std::string text();                 // T: one trailing NUL is not part of the text
    // Copies n whole bytes from the stream (raw chars).
    void bytes(uint8_t* out, size_t n);
    void skipBytes(size_t n);

private:
    bool need(size_t bits);
    uint8_t byteAt(size_t bit) const;

    const uint8_t* m_data;
    size_t m_pos;
    size_t m_end;
    bool m_ok = true;
    bool m_invalid = false;
};

// Packed values of extended data and xrecords: fields read from a byte
// string, little-endian unless said otherwise, failing instead of reading
// past its end.
class ByteReader {
public:
    explicit ByteReader(const std::string& s)
        : m_p(reinterpret_cast<const uint8_t*>(s.data())), m_size(s.size()) {}
    bool atEnd() const { return m_pos >= m_size; }
    size_t position() const { return m_pos; }
    bool take(size_t n, const uint8_t*& p) {
        if (m_size - m_pos < n)
            return false;
        p = m_p + m_pos;
        m_pos += n;
        return true;
    }
    bool u8(unsigned& v) {
        const uint8_t* p;
        if (!take(1, p))
            return false;
        v = p[0];
        return true;
    }
    bool u16(unsigned& v) {
        const uint8_t* p;
        if (!take(2, p))
            return false;
        v = unsigned(p[0] | (p[1] << 8));
        return true;
    }
    bool u32(uint32_t& v) {
        const uint8_t* p;
        if (!take(4, p))
            return false;
        v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return true;
    }
    bool u64(uint64_t& v) {
        const uint8_t* p;
        if (!take(8, p))
            return false;
        v = 0;
        for (int k = 7; k >= 0; --k)
            v = (v << 8) | p[k];
        return true;
    }
    // Handles in extended data: most significant byte first.
    bool u64BigEndian(uint64_t& v) {
        const uint8_t* p;
        if (!take(8, p))
            return false;
        v = 0;
        for (int k = 0; k < 8; ++k)
            v = (v << 8) | p[k];
        return true;
    }
    bool real(double& v) {
        uint64_t bits;
        if (!u64(bits))
            return false;
        memcpy(&v, &bits, sizeof v);
        return true;
    }

private:
    const uint8_t* m_p;
    size_t m_size;
    size_t m_pos = 0;
};

// CRC-16 of the file (reflected polynomial 0xA001), continued from `seed`.
uint16_t crc16(uint16_t seed, const uint8_t* data, size_t size);

// Whether a stored CRC must match. Fuzzing builds accept any, so that mutated
// inputs reach the parsers behind the checks; every other build checks them.
#ifdef BREVANT_FUZZING
constexpr bool kCheckCrc = false;
#else
constexpr bool kCheckCrc = true;
#endif

// Modular values of the object map and the object headers, read from whole
// bytes [pos, end). Each returns false, leaving pos alone, when the value runs
// past end or is longer than the value type can hold.
bool modularChar(const uint8_t* data, size_t& pos, size_t end, uint64_t& value);  // unsigned MC
bool signedModularChar(const uint8_t* data, size_t& pos, size_t end, int64_t& value);
bool modularShort(const uint8_t* data, size_t& pos, size_t end, uint32_t& value);  // MS

// The 16-byte marks that open and close the sections.
extern const uint8_t kHeaderVariablesStart[16];
extern const uint8_t kHeaderVariablesEnd[16];
extern const uint8_t kClassesStart[16];
extern const uint8_t kClassesEnd[16];
extern const uint8_t kPreviewStart[16];
extern const uint8_t kPreviewEnd[16];
extern const uint8_t kFileHeaderEnd[16];

}  // namespace brevant::dwg
