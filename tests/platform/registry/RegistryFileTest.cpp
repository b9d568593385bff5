// Registry files that are damaged, hand-edited with mistakes or too large:
// read as far as they can be understood, one message naming the file and the
// line, and a copy of the content kept before the next write replaces it.
// Also the text format's round trip for names and values that need escaping.
#include "TempDir.h"

#include "brevant/platform.h"
#include "windows.h"
#include "../../../platform/registry/RegistryText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using brevant::test::fileExists;
using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n";
const std::string kKey = "\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n";

class RegistryFileTest : public testing::Test {
protected:
    void SetUp() override { setenv("BREVANT_REGISTRY_DIR", m_dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("BREVANT_REGISTRY_DIR"); }
    std::string userFile() const { return m_dir.file("user.reg"); }

    // The text of a value under HKEY_CURRENT_USER\Software\Test, or "(none)".
    std::string text(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &key) != 0) {
            return "(no key)";
        }
        char buffer[256] = {};
        DWORD size = sizeof buffer - 1;
        const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, (LPBYTE)buffer, &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? std::string(buffer) : "(none)";
    }
    // The message of the first read of the file.
    std::string firstReadMessage() {
        testing::internal::CaptureStderr();
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == 0) {
            RegCloseKey(key);
        }
        return testing::internal::GetCapturedStderr();
    }
    std::string message(int line, const std::string& problem, int more = 0) {
        std::string text = "Registry file \"" + userFile() + "\", line " + std::to_string(line) +
                           ": " + problem + ". The file is read as far as it can be understood";
        if (more > 0) {
            text += " (" + std::to_string(more) + " more " + (more == 1 ? "line" : "lines") +
                    " not understood)";
        }
        return text + ".\n";
    }

    TempDir m_dir;
};

TEST_F(RegistryFileTest, DamagedFilesAreReadAsFarAsTheyCanBeUnderstood) {
    struct Row {
        std::string content;
        int line;  // of the message; 0: no message
        std::string problem;
        int more;
        const char* good;  // the value of "Good" that is still read
    } rows[] = {
        // 1: a whole, correct file
        {kHeader + kKey + "\"Good\"=\"yes\"\r\n", 0, "", 0, "yes"},
        // 2: empty
        {"", 1, "the file is empty", 0, "(no key)"},
        // 3: cut off inside a hex list that goes on over lines
        {kHeader + kKey + "\"Good\"=\"yes\"\r\n\"Cut\"=hex:01,02,\\\r\n  03,\\\r\n", 5,
         "a hex list cut off at the end of the file", 0, "yes"},
        // 4: cut off inside a text
        {kHeader + kKey + "\"Good\"=\"yes\"\r\n\"Cut\"=\"no end", 5,
         "a text without its closing quote", 0, "yes"},
        // 5: no header line
        {"[HKEY_CURRENT_USER\\Software\\Test]\n\"Good\"=\"yes\"\n", 1,
         "the first line is not \"Windows Registry Editor Version 5.00\"", 0, "yes"},
        // 6: hand-edited mistakes on three lines; the rest is read
        {kHeader + kKey +
             "\"A\"=dword:xyz\r\n\"Good\"=\"yes\"\r\nB=\"no quotes\"\r\n\"C\" \"x\"\r\n",
         4, "a dword that is not one to eight hexadecimal digits", 2, "yes"},
        // 7: a single backslash in a path is kept as it stands
        {kHeader + kKey + "\"Good\"=\"C:\\Temp\"\r\n", 4,
         "a backslash before a character other than \\ or \" (kept as it stands)", 0, "C:\\Temp"},
        // 8: a key of the other hive in this hive's file; its values are skipped
        {kHeader + "\r\n[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"Good\"=\"no\"\r\n", 3,
         "a key outside HKEY_CURRENT_USER", 0, "(no key)"},
        // 9: a key section without its end, then a good one
        {kHeader + "[HKEY_CURRENT_USER\\Software\\Test\r\n" + kKey + "\"Good\"=\"yes\"\r\n", 2,
         "a key section without its closing \"]\"", 0, "yes"},
        // 10: binary bytes
        {std::string("\x00\x01\x02\xff\xfe\n\x7f\x80\n", 9), 1,
         "the first line is not \"Windows Registry Editor Version 5.00\"", 2, "(no key)"},
        // 11: a value line before any key
        {kHeader + "\"Good\"=\"no\"\r\n" + kKey, 2, "a value line before the first key section", 0,
         "(none)"},
        // 12: a hex byte of three digits
        {kHeader + kKey + "\"Bad\"=hex:012\r\n\"Good\"=\"yes\"\r\n", 4,
         "a hex list with a byte that is not one or two hexadecimal digits", 0, "yes"},
        // 13: an unknown type
        {kHeader + kKey + "\"Bad\"=qword:1\r\n\"Good\"=\"yes\"\r\n", 4,
         "a value of an unknown form (not \"text\", dword:, hex: or hex(N):)", 0, "yes"},
        // 14: a text value larger than a value may be
        {kHeader + kKey + "\"Big\"=\"" + std::string(1024 * 1024, 'b') +
             "\"\r\n\"Good\"=\"yes\"\r\n",
         4, "a value larger than 1048576 bytes", 0, "yes"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(++n));
        writeFile(userFile(), row.content);
        EXPECT_EQ(row.line == 0 ? "" : message(row.line, row.problem, row.more),
                  firstReadMessage());
        EXPECT_EQ(row.good, text("Good"));
        // Reading again says nothing more while the file stays the same.
        testing::internal::CaptureStderr();
        text("Good");
        EXPECT_EQ("", testing::internal::GetCapturedStderr());
    }
}

TEST_F(RegistryFileTest, WindowsRegistryEditorFilesInUtf16AreRead) {
    const std::string text8 = kHeader + kKey + "\"Good\"=\"caf\xe9\"\r\n";
    std::string text16 = "\xff\xfe";
    for (char ch : text8) {
        text16 += ch;
        text16 += '\0';
    }
    writeFile(userFile(), text16);
    EXPECT_EQ("", firstReadMessage());
    EXPECT_EQ("caf\xe9", text("Good"));
}

// Texts in hex lists: UTF-16 in an export of Windows 2000 on, single bytes in
// a REGEDIT4 export; the A calls give single bytes either way.
TEST_F(RegistryFileTest, ExportsOfBothFormatsGiveSingleByteTexts) {
    struct Value {
        const char* name;
        DWORD type;
        std::string data;
    };
    const std::vector<Value> expected = {
        {"Path", REG_EXPAND_SZ, std::string("%TEMP%\\caf\xe9\0", 12)},
        {"List", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"Wide", REG_EXPAND_SZ, std::string("?\0", 2)},  // beyond one byte
        {"Text", REG_SZ, std::string("plain\0", 6)},
    };
    const struct {
        const char* format;
        std::string file;
    } exports[] = {
        {"5.00",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n"
         "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,63,00,61,00,66,00,e9,00,\\\r\n"
         "  00,00\r\n"
         "\"List\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
         "\"Wide\"=hex(2):ac,20,00,00\r\n"
         "\"Text\"=\"plain\"\r\n"},
        {"REGEDIT4",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n"
         "\"Path\"=hex(2):25,54,45,4d,50,25,5c,63,61,66,e9,00\r\n"
         "\"List\"=hex(7):61,00,62,63,00,00\r\n"
         "\"Wide\"=hex(2):3f,00\r\n"
         "\"Text\"=\"plain\"\r\n"},
    };
    for (const auto& e : exports) {
        SCOPED_TRACE(e.format);
        writeFile(userFile(), e.file);
        EXPECT_EQ("", firstReadMessage());
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0,
                                               KEY_READ | KEY_WRITE, &key));
        for (const Value& value : expected) {
            SCOPED_TRACE(value.name);
            DWORD type = 0;
            char data[64] = {};
            DWORD size = sizeof data;
            EXPECT_EQ(ERROR_SUCCESS,
                      RegQueryValueExA(key, value.name, nullptr, &type, (LPBYTE)data, &size));
            EXPECT_EQ(value.type, type);
            EXPECT_EQ(value.data, std::string(data, size));
        }
        // What the platform writes back reads the same, as a Windows export.
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Text", 0, REG_SZ, (const BYTE*)"plain", 6));
        RegCloseKey(key);
        const std::string written = readFile(userFile());
        EXPECT_EQ(0u, written.rfind("Windows Registry Editor Version 5.00\r\n", 0));
        EXPECT_NE(std::string::npos,
                  written.find("\"List\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"));
        using namespace brevant::platform::registry;
        ParseReport first;
        ParseReport second;
        EXPECT_TRUE(parseHive(written, "HKEY_CURRENT_USER", first) ==
                    parseHive(e.file, "HKEY_CURRENT_USER", second));
        EXPECT_EQ(0, first.problems);
    }
}

// A text of an odd number of bytes is no UTF-16 text: the line is reported
// and left out.
TEST_F(RegistryFileTest, AnOddUtf16TextIsReported) {
    writeFile(userFile(), kHeader + kKey + "\"Odd\"=hex(2):25,00,54\r\n\"Good\"=\"yes\"\r\n");
    EXPECT_EQ(message(4, "a hex(2) text of an odd number of bytes, which is no UTF-16 text"),
              firstReadMessage());
    EXPECT_EQ("(none)", text("Odd"));
    EXPECT_EQ("yes", text("Good"));
}

TEST_F(RegistryFileTest, AnEnormousFileIsReadUpToItsLimit) {
    std::string content = kHeader + kKey + "\"Good\"=\"yes\"\r\n";
    const std::string filler = "; " + std::string(1000, 'x') + "\r\n";
    while (content.size() <= 17 * 1024 * 1024) {
        content += filler;
    }
    content += "\"Late\"=\"never read\"\r\n";
    writeFile(userFile(), content);
    const std::string shown = firstReadMessage();
    EXPECT_NE(std::string::npos,
              shown.find("the file is larger than 16777216 bytes and is not read beyond this line"))
        << shown;
    EXPECT_EQ("yes", text("Good"));
    EXPECT_EQ("(none)", text("Late"));
}

TEST_F(RegistryFileTest, TheNextWriteKeepsACopyOfADamagedFile) {
    const std::string damaged = kHeader + kKey + "\"Good\"=\"yes\"\r\n\"Odd\"=something\r\n";
    writeFile(userFile(), damaged);
    firstReadMessage();

    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, &disposition));
    testing::internal::CaptureStderr();
    const BYTE data[] = "new";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "New", 0, REG_SZ, data, sizeof data));
    EXPECT_EQ("Registry file \"" + userFile() +
                  "\" could not be read whole; its former content is kept in \"" + userFile() +
                  ".bad\".\n",
              testing::internal::GetCapturedStderr());
    EXPECT_EQ(damaged, readFile(userFile() + ".bad"));
    EXPECT_EQ(kHeader + kKey.substr(0, 2) + "[HKEY_CURRENT_USER\\Software]\r\n" + kKey +
                  "\"Good\"=\"yes\"\r\n\"New\"=\"new\"\r\n\r\n",
              readFile(userFile()));

    // The file is whole now: the next write keeps no further copy.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "New", 0, REG_SZ, data, sizeof data));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_FALSE(fileExists(userFile() + ".bad.1"));

    // A second damaged version gets a copy of its own beside the first.
    writeFile(userFile(), damaged + "again\r\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "New", 0, REG_SZ, data, sizeof data));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(damaged, readFile(userFile() + ".bad"));
    EXPECT_EQ(damaged + "again\r\n", readFile(userFile() + ".bad.1"));
    RegCloseKey(key);
}

TEST(RegistryText, NamesAndValuesThatNeedCareComeBackUnchanged) {
    using namespace brevant::platform::registry;
    Hive hive;
    bool created = false;
    Key& odd = hive.create("Odd]Key\\with \"quotes\"\\and trailing blank ", created);
    Hive::setValue(odd, "", REG_SZ, std::string("default\0", 8));
    Hive::setValue(odd, "back\\slash \"quote\"", REG_SZ, std::string("C:\\a \"b\"\0", 10));
    Hive::setValue(odd, "no zero", REG_SZ, "abc");
    Hive::setValue(odd, "zero inside", REG_SZ, std::string("a\0b\0", 4));
    Hive::setValue(odd, "line break", REG_SZ, std::string("a\r\nb\0", 5));
    Hive::setValue(odd, "nothing", REG_SZ, "");
    Hive::setValue(odd, "short dword", REG_DWORD, "\x01\x02");
    Hive::setValue(odd, "qword", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8));
    Hive::setValue(odd, "high bytes \xe9", REG_SZ, std::string("\xe9\xff\0", 3));
    Hive::setValue(odd, "expand", REG_EXPAND_SZ, std::string("%x%\xe9\xff\0", 6));
    Hive::setValue(odd, "odd expand", REG_EXPAND_SZ, "abc");
    Hive::setValue(odd, "list", REG_MULTI_SZ, std::string("a\0\x80\0\0", 5));
    Key& root = hive.create("", created);
    Hive::setValue(root, "at root", REG_DWORD, std::string("\0\0\0\0", 4));

    const std::string text = formatHive(hive, "HKEY_CURRENT_USER");
    ParseReport report;
    const Hive back = parseHive(text, "HKEY_CURRENT_USER", report);
    EXPECT_EQ(0, report.problems) << report.firstLine << ": " << report.firstProblem;
    EXPECT_TRUE(back == hive) << text;
    EXPECT_EQ(text, formatHive(back, "HKEY_CURRENT_USER"));
}

}  // namespace
