// Letter case, trimming, comparison without regard to case, and local times.
#include "brevant/text.h"

namespace brevant::text {

namespace {

char upperChar(char ch) {
    return (ch >= 'a' && ch <= 'z') ? (char)(ch - 'a' + 'A') : ch;
}

char lowerChar(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
}

// A number of minDigits to maxDigits digits at text[pos]; pos moves past it.
bool readNumber(std::string_view text, size_t& pos, size_t minDigits, size_t maxDigits,
                int& value) {
    size_t digits = 0;
    value = 0;
    while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits >= minDigits && (pos >= text.size() || text[pos] < '0' || text[pos] > '9');
}

bool readChar(std::string_view text, size_t& pos, char expected) {
    if (pos < text.size() && text[pos] == expected) {
        ++pos;
        return true;
    }
    return false;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        ch = upperChar(ch);
    }
    return out;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        ch = lowerChar(ch);
    }
    return out;
}

std::string_view trimmed(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return text.substr(text.size());
    }
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperChar(a[i]) != upperChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameText(text.substr(0, prefix.size()), prefix);
}

std::string ansiFromUtf16le(std::string_view bytes, size_t* firstReplaced) {
    std::string text;
    text.reserve(bytes.size() / 2);
    if (firstReplaced != nullptr) {
        *firstReplaced = std::string::npos;
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            (unsigned char)bytes[i] | ((unsigned)(unsigned char)bytes[i + 1] << 8);
        if (unit > 0xFF && firstReplaced != nullptr && *firstReplaced == std::string::npos) {
            *firstReplaced = text.size();
        }
        text += unit > 0xFF ? '?' : (char)unit;
    }
    return text;
}

std::string utf16leFromAnsi(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char ch : text) {
        bytes += ch;
        bytes += '\0';
    }
    return bytes;
}

bool parseLocalTime(std::string_view text, time_t& time) {
    text = trimmed(text, " \t");
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    size_t pos = 0;
    if (!readNumber(text, pos, 4, 4, year) || !readChar(text, pos, '-') ||
        !readNumber(text, pos, 1, 2, month) || !readChar(text, pos, '-') ||
        !readNumber(text, pos, 1, 2, day)) {
        return false;
    }
    if (!readChar(text, pos, ' ') && !readChar(text, pos, '\t')) {
        return false;
    }
    while (readChar(text, pos, ' ') || readChar(text, pos, '\t')) {
    }
    if (!readNumber(text, pos, 1, 2, hour) || !readChar(text, pos, ':') ||
        !readNumber(text, pos, 1, 2, minute)) {
        return false;
    }
    if (readChar(text, pos, ':') && !readNumber(text, pos, 1, 2, second)) {
        return false;
    }
    if (pos != text.size() || year < 1970 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    struct tm wanted = {};
    wanted.tm_year = year - 1900;
    wanted.tm_mon = month - 1;
    wanted.tm_mday = day;
    wanted.tm_hour = hour;
    wanted.tm_min = minute;
    wanted.tm_sec = second;
    wanted.tm_isdst = -1;
    struct tm normalised = wanted;
    const time_t result = mktime(&normalised);
    // A local time that summer time skips comes back from mktime as another one.
    if (normalised.tm_mday != day || normalised.tm_hour != hour || normalised.tm_min != minute ||
        normalised.tm_sec != second) {
        return false;
    }
    time = result;
    return true;
}

}  // namespace brevant::text
