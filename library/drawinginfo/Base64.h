// Base64 text of a byte buffer, as the drawing information file carries the
// drawing's preview: no padding characters, a carriage return and line feed
// after every 72 characters.
#pragma once

#include <afx.h>

#include <cstdint>

namespace Pellam {

class CBase64 {
public:
    CBase64();
    virtual ~CBase64();

    // The bytes stored in szOutput, which must hold strlen(szDecoding) + 1
    // bytes; 0 on failure (any character outside the alphabet but "=", line
    // ends included).
    virtual int decode(LPCTSTR szDecoding, unsigned char* szOutput);
    // The text of iLength bytes; "" for a null input.
    virtual CString encode(const unsigned char* szEncoding, int iLength);

    // The characters per line of encoded text.
    static const int kLineLength = 72;

private:
    int32_t m_iInputLength;
    int32_t m_iBitsHeld;
    uint32_t m_dwBitBuffer;
    const unsigned char* m_pInput;
};

}  // namespace Pellam
