// Test helpers for binary drawings: the sample files, their section locators
// and object map, and the means to damage them on purpose or to put a record
// of the test's own making in place of one of theirs. Records are written
// with a small bit writer; a changed map or record goes to the end of the
// file, with the locators and CRCs made right again, so that only the fault a
// test means is left in the file.
#pragma once

#include "dwg/DwgBits.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace brevant::test::dwg {

using Bytes = std::vector<uint8_t>;

inline std::string sampleDir() {
    return std::string(BREVANT_SOURCE_DIR) + "/tests/data/dwg/";
}

inline Bytes readSample(const std::string& name) {
    Bytes b;
    std::FILE* f = std::fopen((sampleDir() + name).c_str(), "rb");
    if (f == nullptr)
        return b;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        b.push_back(uint8_t(c));
    std::fclose(f);
    return b;
}

inline uint32_t get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

inline void put32(Bytes& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        b[at + k] = uint8_t(v >> (8 * k));
}

inline std::string hex(uint64_t v) {
    char t[24];
    std::snprintf(t, sizeof t, "0x%llX", static_cast<unsigned long long>(v));
    return t;
}

struct Locator {
    size_t recordAt;  // file offset of the locator record
    uint32_t seeker;
    uint32_t size;
};

// The locator of a section by its number (0 header variables, 1 classes,
// 2 object map, ...).
inline Locator locator(const Bytes& b, uint8_t number) {
    const uint32_t count = get32(b, 0x15);
    for (uint32_t k = 0; k < count; ++k) {
        const size_t at = 0x19 + 9 * k;
        if (b[at] == number)
            return Locator{at, get32(b, at + 1), get32(b, at + 5)};
    }
    return Locator{0, 0, 0};
}

inline size_t headerCrcAt(const Bytes& b) {
    return 0x19 + 9 * size_t(get32(b, 0x15));
}

// The file header's CRC, for files with 6 locators as all samples have.
inline void fixHeaderCrc(Bytes& b) {
    const size_t at = headerCrcAt(b);
    const uint16_t crc = uint16_t(brevant::dwg::crc16(0, b.data(), at) ^ 0x8461);
    b[at] = uint8_t(crc);
    b[at + 1] = uint8_t(crc >> 8);
}

inline void setLocator(Bytes& b, uint8_t number, uint32_t seeker, uint32_t size) {
    const Locator l = locator(b, number);
    put32(b, l.recordAt + 1, seeker);
    put32(b, l.recordAt + 5, size);
    fixHeaderCrc(b);
}

// The object map: handle to file offset.
inline std::map<uint64_t, int64_t> objectMap(const Bytes& b) {
    std::map<uint64_t, int64_t> out;
    const Locator l = locator(b, 2);
    size_t pos = l.seeker;
    for (;;) {
        const size_t size = size_t(b[pos] << 8 | b[pos + 1]);
        if (size <= 2)
            break;
        size_t p = pos + 2;
        uint64_t handle = 0;
        int64_t offset = 0;
        while (p < pos + size) {
            uint64_t hd = 0;
            brevant::dwg::modularChar(b.data(), p, pos + size, hd);
            int64_t od = 0;
            brevant::dwg::signedModularChar(b.data(), p, pos + size, od);
            handle += hd;
            offset += od;
            out[handle] = offset;
        }
        pos += size + 2;
    }
    return out;
}

inline void putModular(Bytes& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(uint8_t(0x80 | (v & 0x7F)));
        v >>= 7;
    }
    out.push_back(uint8_t(v));
}

inline void putSignedModular(Bytes& out, int64_t v) {
    uint64_t m = v < 0 ? uint64_t(-v) : uint64_t(v);
    while (m >= 0x40) {
        out.push_back(uint8_t(0x80 | (m & 0x7F)));
        m >>= 7;
    }
    out.push_back(uint8_t(m | (v < 0 ? 0x40 : 0)));
}

inline void putSection(Bytes& b, const Bytes& pairs) {
    const size_t size = pairs.size() + 2;
    Bytes s{uint8_t(size >> 8), uint8_t(size)};
    s.insert(s.end(), pairs.begin(), pairs.end());
    const uint16_t crc = brevant::dwg::crc16(0xC0C1, s.data(), s.size());
    s.push_back(uint8_t(crc >> 8));
    s.push_back(uint8_t(crc));
    b.insert(b.end(), s.begin(), s.end());
}

// Writes a map of the entries, in their order, at the end of the file and
// points the locator at it. Gives the file offset of each entry's pair.
inline std::vector<size_t> writeMap(Bytes& b,
                                    const std::vector<std::pair<uint64_t, int64_t>>& entries) {
    std::vector<size_t> at;
    const size_t start = b.size();
    Bytes pairs;
    uint64_t handle = 0;
    int64_t offset = 0;
    for (const auto& e : entries) {
        if (pairs.size() > 1900) {
            putSection(b, pairs);
            pairs.clear();
            handle = 0;
            offset = 0;
        }
        at.push_back(b.size() + 2 + pairs.size());
        putModular(pairs, e.first - handle);
        putSignedModular(pairs, e.second - offset);
        handle = e.first;
        offset = e.second;
    }
    putSection(b, pairs);
    putSection(b, Bytes{});
    setLocator(b, 2, uint32_t(start), uint32_t(b.size() - start));
    return at;
}

inline std::vector<size_t> writeMap(Bytes& b, const std::map<uint64_t, int64_t>& map) {
    return writeMap(b, std::vector<std::pair<uint64_t, int64_t>>(map.begin(), map.end()));
}

// Bits, most significant first, in the forms of the file.
class BitWriter {
public:
    void bit(bool v) {
        if (m_bits % 8 == 0)
            m_bytes.push_back(0);
        if (v)
            m_bytes.back() |= uint8_t(0x80 >> (m_bits % 8));
        ++m_bits;
    }
    void bits(uint64_t v, int n) {
        for (int k = n - 1; k >= 0; --k)
            bit((v >> k) & 1);
    }
    void rc(uint8_t v) { bits(v, 8); }
    void rs(uint16_t v) {
        rc(uint8_t(v));
        rc(uint8_t(v >> 8));
    }
    void rl(uint32_t v) {
        rs(uint16_t(v));
        rs(uint16_t(v >> 16));
    }
    void bs(uint16_t v) {
        bits(0, 2);
        rs(v);
    }
    void bl(uint32_t v) {
        bits(0, 2);
        rl(v);
    }
    void bdOne() { bits(1, 2); }
    void bdZero() { bits(2, 2); }
    void handle(uint8_t code, uint64_t v) {
        int n = 0;
        for (uint64_t t = v; t != 0; t >>= 8)
            ++n;
        rc(uint8_t(code << 4 | n));
        for (int k = n - 1; k >= 0; --k)
            rc(uint8_t(v >> (8 * k)));
    }
    void text(const std::string& s) {
        bs(uint16_t(s.size()));
        for (char c : s)
            rc(uint8_t(c));
    }
    void append(const BitWriter& w) {
        for (size_t k = 0; k < w.m_bits; ++k)
            bit((w.m_bytes[k / 8] >> (7 - k % 8)) & 1);
    }
    size_t size() const { return m_bits; }
    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    size_t m_bits = 0;
};

// A whole record: size, the type, where the handle references start, the
// data, the handle references, and the CRC.
inline Bytes record(uint16_t type, const BitWriter& data, const BitWriter& handles) {
    BitWriter w;
    w.bs(type);
    w.rl(uint32_t(18 + 32 + data.size()));
    w.append(data);
    w.append(handles);
    const Bytes& body = w.bytes();
    Bytes r{uint8_t(body.size()), uint8_t(body.size() >> 8)};  // MS, under 32 KB
    r.insert(r.end(), body.begin(), body.end());
    const uint16_t crc = brevant::dwg::crc16(0xC0C1, r.data(), r.size());
    r.push_back(uint8_t(crc));
    r.push_back(uint8_t(crc >> 8));
    return r;
}

// Puts the record at the end of the file and the object's map entry on it.
// Gives the record's offset.
inline size_t replaceObject(Bytes& b, uint64_t handle, const Bytes& rec) {
    auto map = objectMap(b);
    const size_t at = b.size();
    b.insert(b.end(), rec.begin(), rec.end());
    map[handle] = int64_t(at);
    writeMap(b, map);
    return at;
}

// The start of every object record: own handle, no extended data, no reactors
// (objects) or the common entity part of a model-space entity.
inline BitWriter objectStart(uint64_t handle, uint32_t reactors = 0) {
    BitWriter d;
    d.handle(0, handle);
    d.bs(0);  // no extended data
    d.bl(reactors);
    return d;
}

inline BitWriter entityStart(uint64_t handle) {
    BitWriter d;
    d.handle(0, handle);
    d.bs(0);
    d.bit(false);  // no graphics
    d.bits(2, 2);  // model space
    d.bl(0);       // reactors
    d.bit(false);  // links follow
    d.bs(256);     // colour BYLAYER
    d.bdOne();     // linetype scale
    d.bits(0, 2);  // linetype BYLAYER
    d.bits(0, 2);  // plot style BYLAYER
    d.bs(0);       // visible
    d.rc(29);      // line weight BYLAYER
    return d;
}

}  // namespace brevant::test::dwg
