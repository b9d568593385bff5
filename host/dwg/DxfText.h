// Tags written as DXF text, the form in which the binary reader hands a
// drawing to the drawing store: the group code right-aligned in three
// columns, then the value, each on a line ended by carriage return and line
// feed. Every value written reads back as its group code requires.
#pragma once

#include "DwgBits.h"

#include "../dxf/DxfTags.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace brevant::dwg {

class DxfText {
public:
    explicit DxfText(std::vector<char>& out) : m_out(out) {}

    // A text value. Control characters would break the line structure, so
    // they are written in the caret form DXF uses ("^J" for a line feed); a
    // value that does not suit a numeric group code is written as 0.
    void text(int code, std::string_view value) {
        m_scratch.clear();
        for (char c : value) {
            if ((unsigned char)c < 0x20 && c != '\t') {
                m_scratch += '^';
                m_scratch += char(c + 64);
            } else {
                m_scratch += c;
            }
        }
        if (!suits(code, m_scratch))
            m_scratch = "0";
        raw(code, m_scratch);
    }
    void integer(int code, int64_t value) { raw(code, std::to_string(value)); }
    // A damaged file may hold no number where one belongs: it is written as 0.
    void real(int code, double value) {
        raw(code, std::isfinite(value) ? dxf::formatDouble(value) : std::string("0.0"));
    }
    void handle(int code, uint64_t value) { raw(code, dxf::formatHandle(value)); }
    // Binary data as hexadecimal digits.
    void binary(int code, const uint8_t* p, size_t n) {
        static const char digits[] = "0123456789ABCDEF";
        m_scratch.resize(2 * n);
        for (size_t k = 0; k < n; ++k) {
            m_scratch[2 * k] = digits[p[k] >> 4];
            m_scratch[2 * k + 1] = digits[p[k] & 15];
        }
        raw(code, m_scratch);
    }
    void point(int code, const Point3& p) {
        real(code, p.x);
        real(code + 10, p.y);
        real(code + 20, p.z);
    }
    void point2(int code, const double* p) {
        real(code, p[0]);
        real(code + 10, p[1]);
    }

private:
    static bool suits(int code, const std::string& value) {
        double d;
        int64_t i;
        uint64_t h;
        switch (dxf::valueKind(code)) {
            case dxf::ValueKind::Double:
                return dxf::parseDouble(value, d);
            case dxf::ValueKind::Int16:
            case dxf::ValueKind::Int32:
            case dxf::ValueKind::Int64:
            case dxf::ValueKind::Bool:
                return dxf::parseInt(value, i);
            case dxf::ValueKind::Handle:
                return dxf::parseHandle(value, h);
            case dxf::ValueKind::Binary:
                for (char c : value) {
                    if (!isxdigit((unsigned char)c))
                        return false;
                }
                return true;
            default:
                return true;
        }
    }
    void raw(int code, std::string_view value) {
        char codeText[16];
        int n = snprintf(codeText, sizeof codeText, "%3d\r\n", code);
        m_out.insert(m_out.end(), codeText, codeText + n);
        m_out.insert(m_out.end(), value.begin(), value.end());
        m_out.push_back('\r');
        m_out.push_back('\n');
    }

    std::vector<char>& m_out;
    std::string m_scratch;
};

}  // namespace brevant::dwg
