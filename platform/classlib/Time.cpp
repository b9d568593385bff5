// CTime and CTimeSpan: seconds, shown in local time through the runtime's
// strftime, with English names whatever the process's locale, and the Windows
// "#" forms.
#include "afx.h"

#include "brevant/platform.h"

#include <clocale>
#include <cstring>
#include <locale.h>
#include <string>

CTimeSpan::CTimeSpan(long lDays, int nHours, int nMins, int nSecs)
    : m_timeSpan((time_t)lDays * 86400 + (time_t)nHours * 3600 + (time_t)nMins * 60 + nSecs) {}

CTime PASCAL CTime::GetCurrentTime() {
    return CTime(brevant::platform::now());
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    struct tm tmValue = {};
    tmValue.tm_year = nYear - 1900;
    tmValue.tm_mon = nMonth - 1;
    tmValue.tm_mday = nDay;
    tmValue.tm_hour = nHour;
    tmValue.tm_min = nMin;
    tmValue.tm_sec = nSec;
    tmValue.tm_isdst = nDST;
    const time_t t = mktime(&tmValue);
    m_time = t == (time_t)-1 ? 0 : t;
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const {
    if (ptm == nullptr) {
        return nullptr;
    }
    return localtime_r(&m_time, ptm);
}

namespace {

// Fields of the local time; 0 when the time cannot be shown.
int field(time_t t, int tm::*member, int offset) {
    struct tm tmValue;
    if (localtime_r(&t, &tmValue) == nullptr) {
        return 0;
    }
    return tmValue.*member + offset;
}

locale_t englishLocale() {
    static locale_t locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return locale;
}

// One strftime conversion; a blank after the pattern tells an empty result
// from an overflow.
std::string strftimePiece(const std::string& pattern, const struct tm& tmValue) {
    const std::string guarded = pattern + " ";
    for (size_t size = 128; size <= 65536; size *= 4) {
        std::string buffer(size, '\0');
        const size_t n = strftime_l(&buffer[0], size, guarded.c_str(), &tmValue, englishLocale());
        if (n > 0) {
            buffer.resize(n - 1);
            return buffer;
        }
    }
    return std::string();
}

std::string withoutLeadingZeros(std::string text) {
    size_t n = 0;
    while (n + 1 < text.size() && text[n] == '0') {
        ++n;
    }
    return text.substr(n);
}

// The runtime's patterns, with the Windows "#" flag: on numeric fields it
// drops leading zeros, "%#c" is the long date and time ("Tuesday, March 14,
// 1995 12:41:29"), "%#x" the long date; on other fields it is ignored.
std::string formatTime(const char* format, const struct tm& tmValue) {
    std::string result;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            result += *p;
            continue;
        }
        if (p[1] == 0) {
            break;  // a lone "%" at the end shows nothing
        }
        bool bAlternate = false;
        const char* spec = p + 1;
        if (*spec == '#') {
            bAlternate = true;
            ++spec;
            if (*spec == 0) {
                break;
            }
        }
        const char conversion = *spec;
        p = spec;
        if (!bAlternate) {
            result += strftimePiece(std::string("%") + conversion, tmValue);
            continue;
        }
        switch (conversion) {
            case 'c':
                result += strftimePiece("%A, %B ", tmValue) +
                          withoutLeadingZeros(strftimePiece("%d", tmValue)) +
                          strftimePiece(", %Y %H:%M:%S", tmValue);
                break;
            case 'x':
                result += strftimePiece("%A, %B ", tmValue) +
                          withoutLeadingZeros(strftimePiece("%d", tmValue)) +
                          strftimePiece(", %Y", tmValue);
                break;
            case 'd':
            case 'H':
            case 'I':
            case 'j':
            case 'm':
            case 'M':
            case 'S':
            case 'U':
            case 'w':
            case 'W':
            case 'y':
            case 'Y':
                result +=
                    withoutLeadingZeros(strftimePiece(std::string("%") + conversion, tmValue));
                break;
            default:
                result += strftimePiece(std::string("%") + conversion, tmValue);
                break;
        }
    }
    return result;
}

}  // namespace

int CTime::GetYear() const {
    return field(m_time, &tm::tm_year, 1900);
}
int CTime::GetMonth() const {
    return field(m_time, &tm::tm_mon, 1);
}
int CTime::GetDay() const {
    return field(m_time, &tm::tm_mday, 0);
}
int CTime::GetHour() const {
    return field(m_time, &tm::tm_hour, 0);
}
int CTime::GetMinute() const {
    return field(m_time, &tm::tm_min, 0);
}
int CTime::GetSecond() const {
    return field(m_time, &tm::tm_sec, 0);
}
int CTime::GetDayOfWeek() const {
    return field(m_time, &tm::tm_wday, 1);
}

CString CTime::Format(LPCTSTR pFormat) const {
    struct tm tmValue;
    if (pFormat == nullptr || localtime_r(&m_time, &tmValue) == nullptr) {
        return CString();
    }
    const std::string text = formatTime(pFormat, tmValue);
    return CString(text.data(), (int)text.size());
}

CString CTime::FormatGmt(LPCTSTR pFormat) const {
    struct tm tmValue;
    if (pFormat == nullptr || gmtime_r(&m_time, &tmValue) == nullptr) {
        return CString();
    }
    const std::string text = formatTime(pFormat, tmValue);
    return CString(text.data(), (int)text.size());
}
