// The owned string: a zero-terminated buffer with its length and capacity.
// The buffer always exists, so the LPCSTR conversion never gives NULL.
#include "afx.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

char g_emptyBuffer[1] = {0};

bool isWhite(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

}  // namespace

CString::CString() : m_pData(g_emptyBuffer), m_nLength(0), m_nCapacity(0) {}

CString::CString(const CString& other) : CString() {
    assign(other.m_pData, other.m_nLength);
}

CString::CString(CString&& other) noexcept
    : m_pData(other.m_pData), m_nLength(other.m_nLength), m_nCapacity(other.m_nCapacity) {
    other.m_pData = g_emptyBuffer;
    other.m_nLength = 0;
    other.m_nCapacity = 0;
}

CString::CString(LPCSTR psz) : CString() {
    if (psz != nullptr) {
        assign(psz, (int)strlen(psz));
    }
}

CString::CString(LPCSTR pch, int nLength) : CString() {
    if (pch != nullptr && nLength > 0) {
        assign(pch, nLength);
    }
}

CString::CString(char ch, int nRepeat) : CString() {
    if (nRepeat > 0) {
        reserve(nRepeat);
        memset(m_pData, ch, nRepeat);
        m_nLength = nRepeat;
        m_pData[m_nLength] = 0;
    }
}

CString::~CString() {
    if (m_pData != g_emptyBuffer) {
        free(m_pData);
    }
}

CString& CString::operator=(const CString& other) {
    if (this != &other) {
        assign(other.m_pData, other.m_nLength);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        std::swap(m_pData, other.m_pData);
        std::swap(m_nLength, other.m_nLength);
        std::swap(m_nCapacity, other.m_nCapacity);
    }
    return *this;
}

CString& CString::operator=(LPCSTR psz) {
    if (psz == nullptr) {
        Empty();
    } else {
        assign(psz, (int)strlen(psz));
    }
    return *this;
}

CString& CString::operator=(char ch) {
    assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other) {
    append(other.m_pData, other.m_nLength);
    return *this;
}

CString& CString::operator+=(LPCSTR psz) {
    if (psz != nullptr) {
        append(psz, (int)strlen(psz));
    }
    return *this;
}

CString& CString::operator+=(char ch) {
    append(&ch, 1);
    return *this;
}

void CString::reserve(int nCapacity) {
    if (nCapacity <= m_nCapacity) {
        return;
    }
    int nNew = std::max(nCapacity, m_nCapacity + m_nCapacity / 2);
    char* pNew = static_cast<char*>(malloc((size_t)nNew + 1));
    if (pNew == nullptr) {
        throw std::bad_alloc();
    }
    memcpy(pNew, m_pData, (size_t)m_nLength + 1);
    if (m_pData != g_emptyBuffer) {
        free(m_pData);
    }
    m_pData = pNew;
    m_nCapacity = nNew;
}

void CString::assign(LPCSTR pch, int nLength) {
    if (nLength <= 0) {
        Empty();
        return;
    }
    // The source may lie inside this string's own buffer.
    if (pch >= m_pData && pch <= m_pData + m_nLength) {
        CString copy(pch, nLength);
        *this = std::move(copy);
        return;
    }
    reserve(nLength);
    memcpy(m_pData, pch, (size_t)nLength);
    m_nLength = nLength;
    m_pData[m_nLength] = 0;
}

void CString::append(LPCSTR pch, int nLength) {
    if (nLength <= 0) {
        return;
    }
    if (pch >= m_pData && pch <= m_pData + m_nLength && m_pData != g_emptyBuffer) {
        CString copy(pch, nLength);
        append(copy.m_pData, copy.m_nLength);
        return;
    }
    reserve(m_nLength + nLength);
    memcpy(m_pData + m_nLength, pch, (size_t)nLength);
    m_nLength += nLength;
    m_pData[m_nLength] = 0;
}

void CString::Empty() {
    if (m_pData != g_emptyBuffer) {
        free(m_pData);
    }
    m_pData = g_emptyBuffer;
    m_nLength = 0;
    m_nCapacity = 0;
}

char CString::GetAt(int nIndex) const {
    if (nIndex < 0 || nIndex > m_nLength) {
        return 0;
    }
    return m_pData[nIndex];
}

void CString::SetAt(int nIndex, char ch) {
    if (nIndex >= 0 && nIndex < m_nLength) {
        m_pData[nIndex] = ch;
    }
}

int CString::Compare(LPCSTR psz) const {
    return strcmp(m_pData, psz ? psz : "");
}

int CString::CompareNoCase(LPCSTR psz) const {
    return _stricmp(m_pData, psz ? psz : "");
}

int CString::Collate(LPCSTR psz) const {
    return strcoll(m_pData, psz ? psz : "");
}

CString CString::Mid(int nFirst) const {
    if (nFirst < 0) {
        nFirst = 0;  // and m_nLength - nFirst cannot overflow
    }
    return Mid(nFirst, m_nLength - nFirst);
}

CString CString::Mid(int nFirst, int nCount) const {
    if (nFirst < 0) {
        nFirst = 0;
    }
    if (nCount < 0) {
        nCount = 0;
    }
    if (nFirst > m_nLength) {
        nFirst = m_nLength;
    }
    if (nCount > m_nLength - nFirst) {
        nCount = m_nLength - nFirst;
    }
    return CString(m_pData + nFirst, nCount);
}

CString CString::Left(int nCount) const {
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const {
    if (nCount < 0) {
        nCount = 0;
    }
    if (nCount > m_nLength) {
        nCount = m_nLength;
    }
    return CString(m_pData + m_nLength - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
    return Left((int)strspn(m_pData, pszCharSet ? pszCharSet : ""));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
    return Left((int)strcspn(m_pData, pszCharSet ? pszCharSet : ""));
}

void CString::MakeUpper() {
    for (int i = 0; i < m_nLength; ++i) {
        m_pData[i] = (char)toupper((unsigned char)m_pData[i]);
    }
}

void CString::MakeLower() {
    for (int i = 0; i < m_nLength; ++i) {
        m_pData[i] = (char)tolower((unsigned char)m_pData[i]);
    }
}

void CString::MakeReverse() {
    std::reverse(m_pData, m_pData + m_nLength);
}

void CString::TrimLeft() {
    int n = 0;
    while (n < m_nLength && isWhite(m_pData[n])) {
        ++n;
    }
    Delete(0, n);
}

void CString::TrimLeft(char chTarget) {
    int n = 0;
    while (n < m_nLength && m_pData[n] == chTarget) {
        ++n;
    }
    Delete(0, n);
}

void CString::TrimLeft(LPCSTR pszTargets) {
    if (pszTargets == nullptr) {
        return;
    }
    int n = 0;
    while (n < m_nLength && strchr(pszTargets, m_pData[n]) != nullptr) {
        ++n;
    }
    Delete(0, n);
}

void CString::TrimRight() {
    while (m_nLength > 0 && isWhite(m_pData[m_nLength - 1])) {
        m_pData[--m_nLength] = 0;
    }
}

void CString::TrimRight(char chTarget) {
    while (m_nLength > 0 && m_pData[m_nLength - 1] == chTarget) {
        m_pData[--m_nLength] = 0;
    }
}

void CString::TrimRight(LPCSTR pszTargets) {
    if (pszTargets == nullptr) {
        return;
    }
    while (m_nLength > 0 && strchr(pszTargets, m_pData[m_nLength - 1]) != nullptr) {
        m_pData[--m_nLength] = 0;
    }
}

CString& CString::Trim() {
    TrimRight();
    TrimLeft();
    return *this;
}

CString& CString::Trim(char chTarget) {
    TrimRight(chTarget);
    TrimLeft(chTarget);
    return *this;
}

CString& CString::Trim(LPCSTR pszTargets) {
    TrimRight(pszTargets);
    TrimLeft(pszTargets);
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    int nCount = 0;
    for (int i = 0; i < m_nLength; ++i) {
        if (m_pData[i] == chOld) {
            m_pData[i] = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
    if (pszOld == nullptr || *pszOld == 0) {
        return 0;
    }
    const int nOld = (int)strlen(pszOld);
    const CString sNew(pszNew);
    CString sResult;
    int nCount = 0;
    int nPos = 0;
    for (;;) {
        const char* pFound = strstr(m_pData + nPos, pszOld);
        if (pFound == nullptr) {
            break;
        }
        const int nAt = (int)(pFound - m_pData);
        sResult.append(m_pData + nPos, nAt - nPos);
        sResult += sNew;
        nPos = nAt + nOld;
        ++nCount;
    }
    if (nCount > 0) {
        sResult.append(m_pData + nPos, m_nLength - nPos);
        *this = std::move(sResult);
    }
    return nCount;
}

int CString::Remove(char ch) {
    int nTo = 0;
    for (int i = 0; i < m_nLength; ++i) {
        if (m_pData[i] != ch) {
            m_pData[nTo++] = m_pData[i];
        }
    }
    const int nRemoved = m_nLength - nTo;
    m_nLength = nTo;
    if (m_pData != g_emptyBuffer) {
        m_pData[m_nLength] = 0;
    }
    return nRemoved;
}

int CString::Insert(int nIndex, char ch) {
    return Insert(nIndex, CString(ch, 1));
}

int CString::Insert(int nIndex, LPCSTR psz) {
    if (nIndex < 0) {
        nIndex = 0;
    }
    if (nIndex > m_nLength) {
        nIndex = m_nLength;
    }
    const CString sInsert(psz);
    if (!sInsert.IsEmpty()) {
        CString sResult(m_pData, nIndex);
        sResult += sInsert;
        sResult.append(m_pData + nIndex, m_nLength - nIndex);
        *this = std::move(sResult);
    }
    return m_nLength;
}

int CString::Delete(int nIndex, int nCount) {
    if (nIndex < 0) {
        nIndex = 0;
    }
    if (nIndex >= m_nLength || nCount <= 0) {
        return m_nLength;
    }
    if (nCount > m_nLength - nIndex) {
        nCount = m_nLength - nIndex;
    }
    memmove(m_pData + nIndex, m_pData + nIndex + nCount, (size_t)(m_nLength - nIndex - nCount) + 1);
    m_nLength -= nCount;
    return m_nLength;
}

int CString::Find(char ch) const {
    return Find(ch, 0);
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0) {
        nStart = 0;
    }
    for (int i = nStart; i < m_nLength; ++i) {
        if (m_pData[i] == ch) {
            return i;
        }
    }
    return -1;
}

int CString::Find(LPCSTR pszSub) const {
    return Find(pszSub, 0);
}

int CString::Find(LPCSTR pszSub, int nStart) const {
    if (pszSub == nullptr || nStart < 0 || nStart > m_nLength) {
        return -1;
    }
    const char* pFound = strstr(m_pData + nStart, pszSub);
    return pFound == nullptr ? -1 : (int)(pFound - m_pData);
}

int CString::ReverseFind(char ch) const {
    for (int i = m_nLength - 1; i >= 0; --i) {
        if (m_pData[i] == ch) {
            return i;
        }
    }
    return -1;
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
    if (pszCharSet == nullptr) {
        return -1;
    }
    const size_t n = strcspn(m_pData, pszCharSet);
    return (int)n < m_nLength ? (int)n : -1;
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
    if (pszFormat == nullptr) {
        Empty();
        return;
    }
    va_list copy;
    va_copy(copy, args);
    const int nNeeded = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (nNeeded <= 0) {
        Empty();
        return;
    }
    CString sResult;
    sResult.reserve(nNeeded);
    vsnprintf(sResult.m_pData, (size_t)nNeeded + 1, pszFormat, args);
    sResult.m_nLength = nNeeded;
    *this = std::move(sResult);
}

void CString::AppendFormat(LPCSTR pszFormat, ...) {
    CString sPart;
    va_list args;
    va_start(args, pszFormat);
    sPart.FormatV(pszFormat, args);
    va_end(args);
    *this += sPart;
}

LPSTR CString::GetBuffer(int nMinBufLength) {
    reserve(std::max(nMinBufLength, m_nLength));
    if (m_pData == g_emptyBuffer) {
        reserve(1);  // the caller may write into the buffer
    }
    return m_pData;
}

LPSTR CString::GetBufferSetLength(int nNewLength) {
    if (nNewLength < 0) {
        nNewLength = 0;
    }
    GetBuffer(nNewLength);
    m_nLength = nNewLength;
    m_pData[m_nLength] = 0;
    return m_pData;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (m_pData == g_emptyBuffer) {
        return;
    }
    if (nNewLength < 0) {
        nNewLength = (int)strnlen(m_pData, (size_t)m_nCapacity);
    }
    if (nNewLength > m_nCapacity) {
        nNewLength = m_nCapacity;
    }
    m_nLength = nNewLength;
    m_pData[m_nLength] = 0;
}

CString operator+(const CString& a, const CString& b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(const CString& a, LPCSTR b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(LPCSTR a, const CString& b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(const CString& a, char b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(char a, const CString& b) {
    CString s(a, 1);
    s += b;
    return s;
}

namespace {
int cmp(LPCSTR a, LPCSTR b) {
    return strcmp(a ? a : "", b ? b : "");
}
}  // namespace

bool operator==(const CString& a, const CString& b) {
    return a.GetLength() == b.GetLength() && cmp(a, b) == 0;
}
bool operator==(const CString& a, LPCSTR b) {
    return cmp(a, b) == 0;
}
bool operator==(LPCSTR a, const CString& b) {
    return cmp(a, b) == 0;
}
bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
bool operator!=(const CString& a, LPCSTR b) {
    return cmp(a, b) != 0;
}
bool operator!=(LPCSTR a, const CString& b) {
    return cmp(a, b) != 0;
}
bool operator<(const CString& a, const CString& b) {
    return cmp(a, b) < 0;
}
bool operator<(const CString& a, LPCSTR b) {
    return cmp(a, b) < 0;
}
bool operator<(LPCSTR a, const CString& b) {
    return cmp(a, b) < 0;
}
bool operator>(const CString& a, const CString& b) {
    return cmp(a, b) > 0;
}
bool operator>(const CString& a, LPCSTR b) {
    return cmp(a, b) > 0;
}
bool operator>(LPCSTR a, const CString& b) {
    return cmp(a, b) > 0;
}
bool operator<=(const CString& a, const CString& b) {
    return cmp(a, b) <= 0;
}
bool operator<=(const CString& a, LPCSTR b) {
    return cmp(a, b) <= 0;
}
bool operator<=(LPCSTR a, const CString& b) {
    return cmp(a, b) <= 0;
}
bool operator>=(const CString& a, const CString& b) {
    return cmp(a, b) >= 0;
}
bool operator>=(const CString& a, LPCSTR b) {
    return cmp(a, b) >= 0;
}
bool operator>=(LPCSTR a, const CString& b) {
    return cmp(a, b) >= 0;
}
