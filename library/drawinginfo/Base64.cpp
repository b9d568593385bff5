// Base64 encoding and decoding of the drawing preview.
#include "Base64.h"

#include <cstring>
#include <limits>

#include "Messages.h"

namespace {

// The alphabet, one process-wide text set when the module loads.
const CString G_sAlphabet(_T("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"));

}  // namespace

namespace Pellam {

CBase64::CBase64() : m_iInputLength(0), m_iBitsHeld(0), m_dwBitBuffer(0), m_pInput(NULL) {}

CBase64::~CBase64() {}

CString CBase64::encode(const unsigned char* szEncoding, int iLength) {
    if (!PELLAM_VERIFY(szEncoding != NULL) || iLength <= 0) {
        return CString();
    }
    m_pInput = szEncoding;
    m_iInputLength = iLength;
    m_iBitsHeld = 0;
    m_dwBitBuffer = 0;

    // ceil(8 * length / 6) characters, plus a line end after every full line.
    const int64_t iCharacters = ((int64_t)iLength * 8 + 5) / 6;
    const int64_t iTotal = iCharacters + (iCharacters / kLineLength) * 2;
    if (iTotal > std::numeric_limits<int>::max() - 1) {
        return CString();
    }
    CString sText;
    char* pOut = sText.GetBuffer((int)iTotal);
    int iOut = 0;
    int iOnLine = 0;
    const auto emit = [&](uint32_t iGroup) {
        pOut[iOut++] = G_sAlphabet[(int)iGroup];
        if (++iOnLine == kLineLength) {
            pOut[iOut++] = '\r';
            pOut[iOut++] = '\n';
            iOnLine = 0;
        }
    };
    for (int i = 0; i < m_iInputLength; ++i) {
        m_dwBitBuffer = ((m_dwBitBuffer << 8) | m_pInput[i]) & 0xFFFFu;
        m_iBitsHeld += 8;
        while (m_iBitsHeld >= 6) {
            m_iBitsHeld -= 6;
            emit((m_dwBitBuffer >> m_iBitsHeld) & 0x3Fu);
        }
    }
    if (m_iBitsHeld > 0) {
        // The last group is filled with zero bits on the right.
        emit((m_dwBitBuffer << (6 - m_iBitsHeld)) & 0x3Fu);
        m_iBitsHeld = 0;
    }
    sText.ReleaseBuffer(iOut);
    m_pInput = NULL;
    return sText;
}

int CBase64::decode(LPCTSTR szDecoding, unsigned char* szOutput) {
    if (!PELLAM_VERIFY(szDecoding != NULL)) {
        return 0;
    }
    if (!PELLAM_VERIFY(szOutput != NULL)) {
        return 0;
    }
    const size_t iLength = strlen(szDecoding);
    if (iLength == 0) {
        return 0;
    }
    memset(szOutput, 0, iLength + 1);
    m_iBitsHeld = 0;
    m_dwBitBuffer = 0;
    int iStored = 0;
    for (size_t i = 0; i < iLength; ++i) {
        const char ch = (char)(szDecoding[i] & 0x7F);
        if (ch == '=') {
            continue;
        }
        const int iValue = G_sAlphabet.Find(ch);
        if (iValue < 0 || ch == 0) {
            return 0;
        }
        m_dwBitBuffer = ((m_dwBitBuffer << 6) | (uint32_t)iValue) & 0xFFFFu;
        m_iBitsHeld += 6;
        if (m_iBitsHeld >= 8) {
            m_iBitsHeld -= 8;
            szOutput[iStored++] = (unsigned char)((m_dwBitBuffer >> m_iBitsHeld) & 0xFFu);
        }
    }
    return iStored;
}

}  // namespace Pellam
