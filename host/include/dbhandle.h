// Database handles: the drawing's permanent 64-bit object numbers, written as
// hexadecimal text.
#pragma once

#include "adesk.h"

#include <cstddef>

class AcDbHandle {
public:
    AcDbHandle() = default;
    AcDbHandle(int lo, int hi);
    // From hexadecimal text; text that is no handle gives the null handle.
    AcDbHandle(const char* hexText);
    explicit AcDbHandle(Adesk::UInt64 value) : m_value(value) {}

    bool isNull() const { return m_value == 0; }
    void setNull() { m_value = 0; }
    Adesk::UInt32 low() const { return Adesk::UInt32(m_value); }
    Adesk::UInt32 high() const { return Adesk::UInt32(m_value >> 32); }
    Adesk::UInt64 value() const { return m_value; }

    // Upper-case hexadecimal without leading zeros ("1F"); the buffer needs
    // room for 17 characters.
    void getIntoAsciiBuffer(char* pBuf) const;
    bool getIntoAsciiBuffer(char* pBuf, size_t nBufLen) const;

    AcDbHandle& operator++() {
        ++m_value;
        return *this;
    }
    AcDbHandle operator++(int) {
        AcDbHandle old = *this;
        ++m_value;
        return old;
    }
    void increment() { ++m_value; }
    bool operator==(const AcDbHandle& h) const { return m_value == h.m_value; }
    bool operator!=(const AcDbHandle& h) const { return m_value != h.m_value; }
    bool operator<(const AcDbHandle& h) const { return m_value < h.m_value; }
    bool operator>(const AcDbHandle& h) const { return m_value > h.m_value; }

private:
    Adesk::UInt64 m_value = 0;
};
