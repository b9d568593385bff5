// The tag reader's quick paths (group-code lines, plain real and whole
// numbers, line scanning a word at a time) read exactly what the general
// parser reads: every value against the standard library's parser, every
// line length at every line end.
#include "../../../host/dxf/DxfTags.h"

#include <gtest/gtest.h>

#include <charconv>
#include <iterator>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace brevant::dxf;

namespace {

// What the general parser makes of a number: blanks (space, tab, CR) around
// it and a leading "+" allowed, nothing else left over. Like it, this leaves
// in `value` whatever the standard parser read of a text that is no number.
template <typename T>
bool generalParse(std::string_view text, T& value) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return false;
    }
    text = text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    if (text[0] == '+') {
        text.remove_prefix(1);
    }
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// What the general parser makes of a handle: blanks around it allowed, at
// most 16 hexadecimal digits, and whatever digits came first left in `value`.
bool generalHandle(std::string_view text, uint64_t& value) {
    const size_t first = text.find_first_not_of(" \t\r");
    text = first == std::string_view::npos
               ? std::string_view()
               : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    if (text.empty() || text.size() > 16) {
        return false;
    }
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool parses(const std::string& bytes, std::string& error) {
    TagFile file;
    return file.parse(std::vector<char>(bytes.begin(), bytes.end()), error);
}

const char* const kNumberTexts[] = {
    "0",
    "-0",
    "0.0",
    "-0.0",
    "5.",
    ".5",
    "-.5",
    "-5.",
    ".",
    "-",
    "",
    "1.5.5",
    "--1",
    "123456789012345",
    "1234567890123456",
    "12345678901234567890",
    "999999999999999999",
    "9999999999999999999",
    "-999999999999999999",
    "0.1",
    "0.3",
    "2.675",
    "1.0000000000000002",
    "0.0000000000000000000001",
    "0.00000000000000000000001",
    "12345.678901234567890123",
    "1e5",
    "1E-5",
    "-1.5e+300",
    "1e400",
    "1e-400",
    "inf",
    "nan",
    "0x10",
    " 1.5",
    "1.5 ",
    "\t-2\r",
    "+1.5",
    "+-1",
    "1,5",
    "097.500",
    "00000000000000000000000000001.5",
    "2F",
    "2f",
    "FFFFFFFFFFFFFFFF",
    "10000000000000000",
    "Dash",
    "12G",
    " 1A ",
    "0x1F",
    "Standard",
    "abcdef0123456789",
    "179769313486231570000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000",
};

}  // namespace

TEST(DxfReading, NumbersAndHandlesReadAsTheGeneralParserReadsThem) {
    std::vector<std::string> texts(std::begin(kNumberTexts), std::end(kNumberTexts));
    // Random decimals of every length up to 24 digits, point anywhere.
    std::mt19937 random(15);
    for (int k = 0; k < 20000; ++k) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + int(random() % 24);
        const int point = int(random() % unsigned(digits + 2)) - 1;
        for (int d = 0; d < digits; ++d) {
            if (d == point) {
                text += '.';
            }
            text += char('0' + random() % 10);
        }
        texts.push_back(text);
    }
    int row = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE(std::to_string(++row) + ": \"" + text + "\"");
        double expected = -7.0;
        double got = -7.0;
        const bool real = generalParse(text, expected);
        ASSERT_EQ(parseDouble(text, got), real);
        EXPECT_TRUE(sameBits(got, expected)) << got << " " << expected;
        int64_t whole = -7;
        int64_t expectedWhole = -7;
        ASSERT_EQ(parseInt(text, whole), generalParse(text, expectedWhole));
        EXPECT_EQ(whole, expectedWhole);
        uint64_t handle = 7;
        uint64_t expectedHandle = 7;
        ASSERT_EQ(parseHandle(text, handle), generalHandle(text, expectedHandle));
        EXPECT_EQ(handle, expectedHandle);
        // A file holding the value as a real number loads exactly when it is one.
        std::string error;
        const bool loads = parses("0\nLINE\n10\n" + text + "\n0\nEOF\n", error);
        EXPECT_EQ(loads, real) << error;
        if (!real) {
            EXPECT_EQ(error, "line 4: value \"" + shown(text) +
                                 "\" of group code 10 is not a real number");
        }
    }
}

TEST(DxfReading, GroupCodeLinesReadAsTheGeneralParserReadsThem) {
    struct Row {
        const char* line;
        int code;           // -1: refused
        const char* error;  // when refused
    } rows[] = {
        {"0", 0, ""},
        {"  0", 0, ""},
        {"\t10", 10, ""},
        {"10 \t", 10, ""},
        {"0010", 10, ""},
        {"00010", 10, ""},
        {"1071", 1071, ""},
        {"1072", -1, "line 3: group code 1072 is not a DXF group code"},
        {"10000", -1, "line 3: group code 10000 is not a DXF group code"},
        {"-1", -1, "line 3: group code -1 is not a DXF group code"},
        {"+5", -1, "line 3: group code \"+5\" is not a number"},
        {"1 0", -1, "line 3: group code \"1 0\" is not a number"},
        {"", -1, "line 3: group code \"\" is not a number"},
        {"99999999999", -1, "line 3: group code \"99999999999\" is not a number"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(++n) + ": \"" + row.line + "\"");
        for (const char* end : {"\n", "\r\n"}) {
            std::string bytes = std::string("0") + end + "LINE" + end + row.line + end + "1" + end +
                                "0" + end + "EOF" + end;
            TagFile file;
            std::string error;
            const bool ok = file.parse(std::vector<char>(bytes.begin(), bytes.end()), error);
            ASSERT_EQ(ok, row.code >= 0) << error;
            if (ok) {
                EXPECT_EQ(file.tags()[1].code, row.code);
            } else {
                EXPECT_EQ(error, row.error);
            }
        }
    }
}

// Values of every length from 0 to 40 bytes, so that each line end falls at
// every place in a word, under each kind of line end, with and without a
// line end after the end mark.
TEST(DxfReading, EveryLineLengthAtEveryLineEnd) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        for (const bool lastEnd : {true, false}) {
            SCOPED_TRACE("line end " + std::to_string(end.size()) + (lastEnd ? "" : ", none last"));
            std::string bytes = "0" + end + "SECTION" + end;
            std::vector<std::string> values = {"SECTION"};
            for (size_t length = 0; length <= 40; ++length) {
                std::string value;
                for (size_t k = 0; k < length; ++k) {
                    value += char('a' + k % 26);
                }
                bytes += "1" + end + value + end;
                values.push_back(value);
            }
            bytes += "0" + end + "EOF" + (lastEnd ? end : "");
            values.push_back("EOF");
            TagFile file;
            std::string error;
            ASSERT_TRUE(file.parse(std::vector<char>(bytes.begin(), bytes.end()), error)) << error;
            ASSERT_EQ(file.tags().size(), values.size());
            for (size_t k = 0; k < values.size(); ++k) {
                EXPECT_EQ(file.value(file.tags()[k]), values[k]) << k;
            }
            EXPECT_EQ(file.format().lineEnding, end);
        }
    }
}

// A tag keeps the length of a short value itself and of a long one (from
// 65535 bytes) in a list of the file's: every length reads back whole, in a
// text file and in a binary one.
TEST(DxfReading, LongValuesReadBackWhole) {
    const size_t lengths[] = {0, 1, 65534, 65535, 65536, 200000};
    std::string text = "0\nSECTION\n";
    std::string binary(kBinarySentinel);
    binary += std::string("\0\0SECTION\0", 10);
    for (size_t length : lengths) {
        const std::string value(length, char('a' + length % 26));
        text += "1\n" + value + "\n";
        binary += std::string("\1\0", 2) + value + std::string(1, '\0');
    }
    text += "0\nEOF\n";
    binary += std::string("\0\0EOF\0", 6);
    for (const std::string& bytes : {text, binary}) {
        SCOPED_TRACE(bytes.size());
        TagFile file;
        std::string error;
        ASSERT_TRUE(file.parse(std::vector<char>(bytes.begin(), bytes.end()), error)) << error;
        ASSERT_EQ(file.tagCount(), std::size(lengths) + 2);
        for (size_t k = 0; k < std::size(lengths); ++k) {
            const std::string_view value = file.tag(uint32_t(k + 1)).value;
            EXPECT_EQ(value.size(), lengths[k]);
            EXPECT_EQ(value, std::string(lengths[k], char('a' + lengths[k] % 26)));
        }
        EXPECT_EQ(file.tag(uint32_t(std::size(lengths) + 1)).value, "EOF");
    }
}
