// Text helpers of the platform's own, used by the platform, the editor and
// the tests alike, so that each rule exists once: letter case, blanks at the
// ends, comparison without regard to case (ASCII letters, as Windows compares
// names in the "C" locale), single-byte text from UTF-16 and back, and the
// local time that the CLOCK setting and the editor's CLOCK command take.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace brevant::text {

// The blanks of isspace in the "C" locale.
constexpr std::string_view kWhitespace = " \t\r\n\v\f";

// ASCII letters changed; every other byte is kept.
std::string upper(std::string_view text);
std::string lower(std::string_view text);

// The text without the given characters at either end.
std::string_view trimmed(std::string_view text, std::string_view blanks = kWhitespace);

// Equal without regard to the case of ASCII letters.
bool sameText(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// UTF-16LE text as the single bytes the Windows A calls give: a code unit up
// to 0xFF is the byte of that value, any other unit "?". firstReplaced (when
// given) is set to the index in the result of the first "?" that stands for
// such a unit, std::string::npos when there is none. An odd last byte is left
// out.
std::string ansiFromUtf16le(std::string_view bytes, size_t* firstReplaced = nullptr);
// The UTF-16LE bytes of single-byte text: each byte the code unit of its value.
std::string utf16leFromAnsi(std::string_view text);

// "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" as a local time, blanks allowed
// around it: a four-digit year from 1970, one or two digits for the rest.
// False for anything else: an empty text, text after the time, a date that
// does not exist (30 February), hours from 24, minutes or seconds from 60, or
// a local time that the change to summer time skips.
bool parseLocalTime(std::string_view text, time_t& time);

}  // namespace brevant::text
