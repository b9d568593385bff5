// Base64 text of the preview: no padding, a line end after every 72
// characters, and decoding that stops at anything outside the alphabet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Base64.h"

namespace {

std::string encode(const std::string& sBytes) {
    Pellam::CBase64 base64;
    return std::string(
        base64.encode(reinterpret_cast<const unsigned char*>(sBytes.data()), (int)sBytes.size()));
}

// The decoded bytes, or "<0>" when decode reports failure.
std::string decode(const std::string& sText) {
    Pellam::CBase64 base64;
    std::vector<unsigned char> output(sText.size() + 1, 0xEE);
    const int iBytes = base64.decode(sText.c_str(), output.data());
    return iBytes == 0 ? "<0>" : std::string(output.begin(), output.begin() + iBytes);
}

std::string repeat(const std::string& sPiece, int iTimes) {
    std::string sText;
    for (int i = 0; i < iTimes; ++i) {
        sText += sPiece;
    }
    return sText;
}

}  // namespace

TEST(Base64, Encode) {
    struct Case {
        std::string sInput;
        std::string sText;
    } cases[] = {
        {"", ""},
        {"a", "YQ"},
        {"ab", "YWI"},
        {"abc", "YWJj"},
        {"abcd", "YWJjZA"},
        {std::string("\0\xff\x10", 3), "AP8Q"},
        // 54 bytes are exactly 72 characters: the line end follows them.
        {repeat("xxx", 18), repeat("eHh4", 18) + "\r\n"},
        {repeat("xxx", 18) + "x", repeat("eHh4", 18) + "\r\neA"},
        {repeat("xxx", 36), repeat("eHh4", 18) + "\r\n" + repeat("eHh4", 18) + "\r\n"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(encode(cases[i].sInput), cases[i].sText);
    }
    Pellam::CBase64 base64;
    EXPECT_STREQ(base64.encode(nullptr, 3), "");
}

TEST(Base64, Decode) {
    struct Case {
        std::string sText;
        std::string sBytes;
    } cases[] = {
        {"YWJj", "abc"},
        {"YWI", "ab"},
        {"YWI=", "ab"},  // "=" is skipped
        {"AP8Q", std::string("\0\xff\x10", 3)},
        {"", "<0>"},
        {"YW\r\nJj", "<0>"},  // a line end ends decoding with failure
        {"YW*Jj", "<0>"},
        {"\xd9\xd7\xca\xea", "abc"},  // each character is taken without its top bit
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(decode(cases[i].sText), cases[i].sBytes);
    }
    Pellam::CBase64 base64;
    unsigned char output[4];
    EXPECT_EQ(base64.decode(nullptr, output), 0);
    EXPECT_EQ(base64.decode("YWJj", nullptr), 0);
}

TEST(Base64, EveryByteComesBack) {
    std::string sBytes;
    for (int i = 0; i < 1000; ++i) {
        sBytes += (char)((i * 37 + i / 7) & 0xFF);
    }
    std::string sText = encode(sBytes);
    std::string sJoined;
    for (char ch : sText) {
        if (ch != '\r' && ch != '\n') {
            sJoined += ch;
        }
    }
    EXPECT_EQ(sJoined.size(), (sBytes.size() * 8 + 5) / 6);
    EXPECT_EQ(decode(sJoined), sBytes);
}
