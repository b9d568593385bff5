// The drawing store: malformed files are refused with the line and the reason,
// unchanged drawings come back with the same tags, and a failed save leaves
// the old file whole.
#include "TempDir.h"

#include "../../../host/db/NewDrawing.h"
#include "../../../host/dxf/DxfStructure.h"
#include "../../../host/dxf/DxfTags.h"
#include "dbmain.h"

#include <brevant/platform.h>
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <vector>

using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

// A whole small drawing around the given entity lines.
std::string drawing(const std::string& entities) {
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
           "0\nSECTION\n2\nENTITIES\n" +
           entities + "0\nENDSEC\n0\nEOF\n";
}

// The tags of a file, values of numeric groups trimmed.
std::vector<std::pair<int, std::string>> tagsOf(const std::string& bytes) {
    brevant::dxf::TagFile file;
    std::string error;
    std::vector<char> buffer(bytes.begin(), bytes.end());
    EXPECT_TRUE(file.parse(std::move(buffer), error)) << error;
    std::vector<std::pair<int, std::string>> out;
    for (const auto& t : file.tags()) {
        std::string_view v = file.value(t);
        if (brevant::dxf::valueKind(t.code) != brevant::dxf::ValueKind::String) {
            v = brevant::dxf::trimmed(v);
        }
        out.emplace_back(t.code, std::string(v));
    }
    return out;
}

}  // namespace

TEST(DxfStore, MalformedFilesNameTheLineAndTheReason) {
    const std::string line1 = "0\nLINE\n5\n2F\n8\n0\n";
    struct Case {
        std::string bytes;
        std::string error;  // the text after the file name
    } cases[] = {
        {"", "the file is empty"},
        {std::string("AC1015\0\0\0\0\0rest", 15),
         "file header, offset 0xF: the file ends after 15 bytes, inside the file header"},
        {std::string("AC1018\0\0\0\0\0rest", 15),
         "file header, offset 0x0: a release AC1018 drawing; only release-15 (AC1015) drawings "
         "can be read"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22),
         "byte 22: unexpected end of file: no \"0 EOF\" end mark"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECT", 28),
         "byte 22: the file ends inside the text of group code 0"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0\x0A\0\0\0", 26),
         "byte 22: the file ends inside the value of group code 10"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0\x88\x13", 24),
         "byte 22: group code 5000 is not a DXF group code"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\nx8\n0\n", "line 7: group code \"x8\" is not a number"},
        {std::string("0\nSECTION\n2\nENTITIES\n0\nLINE\n\x01\xff\x1b[2J\n0\n"),
         "line 7: group code \"\\x01\\xFF\\x1B[2J\" is not a number"},
        {drawing("0\nTEXT\n70\n" + std::string(60, 'y') + "\n"),
         "line 18: value \"" + std::string(40, 'y') + "...\" of group code 70 is not an integer"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n5000\n0\n",
         "line 7: group code 5000 is not a DXF group code"},
        {drawing("0\nLINE\n10\n1.5.5\n"),
         "line 18: value \"1.5.5\" of group code 10 is not a real number"},
        {drawing("0\nLINE\n70\n99999\n"),
         "line 18: value \"99999\" of group code 70 is out of range for a 16-bit integer"},
        {drawing("0\nLINE\n90\n12345678901234\n"),
         "line 18: value \"12345678901234\" of group code 90 is out of range for a 32-bit integer"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n8",
         "line 7: the file ends after group code 8, before its value"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n",
         "line 9: unexpected end of file: no \"0 EOF\" end mark"},
        {"0\nLINE\n0\nEOF\n", "line 1: \"LINE\" outside a section"},
        {"0\nSECTION\n2\nENTITIES\n0\nEOF\n", "line 5: the file ends inside a section (no ENDSEC)"},
        {"0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nENDSEC\n0\nEOF\n",
         "line 9: the section ends inside a table (no ENDTAB)"},
        {"9\n$ACADVER\n0\nEOF\n", "line 1: a drawing file starts with group code 0, not 9"},
    };
    TempDir dir;
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(++row);
        const std::string path = dir.file("bad.dxf");
        writeFile(path, c.bytes);
        AcDbDatabase db(false);
        EXPECT_NE(db.readDwgFile(path.c_str()), Acad::eOk);
        EXPECT_EQ(std::string(db.lastErrorText()),
                  path + (c.bytes.rfind("AC10", 0) == 0 ? ": " : ", ") + c.error);
        // The editor stays usable: the database still takes a good drawing.
        writeFile(path, drawing(line1));
        EXPECT_EQ(db.readDwgFile(path.c_str()), Acad::eOk) << db.lastErrorText();
    }
}

TEST(DxfStore, AwkwardButValidValuesLoad) {
    // Padded numbers, long text values, huge counts that allocate nothing,
    // text after the end mark, CRLF line ends.
    const std::string text(5000, 'x');
    TempDir dir;
    const std::string path = dir.file("ok.dxf");
    std::string bytes = drawing("0\nTEXT\n5\n1A\n 70\n     4\n90\n2147483647\n1\n" + text +
                                "\n1\n  leading blanks kept\n") +
                        "junk after the end\n";
    std::string crlf;
    for (char c : bytes) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    writeFile(path, crlf);
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(path.c_str()), Acad::eOk) << db.lastErrorText();
    ASSERT_EQ(db.saveAs(dir.file("out.dxf").c_str()), Acad::eOk);
    const std::string saved = readFile(dir.file("out.dxf"));
    EXPECT_NE(saved.find("\r\n  1\r\n  leading blanks kept\r\n"), std::string::npos);
    EXPECT_NE(saved.find(text), std::string::npos);
    EXPECT_EQ(saved.find("junk"), std::string::npos);
    EXPECT_EQ(tagsOf(saved), tagsOf(bytes.substr(0, bytes.find("junk"))));
}

// CR LF, LF and CR alone are all read, the first line end of the file being
// its own; saving keeps it.
TEST(DxfStore, EveryLineEndIsReadAndKept) {
    const std::string lf = drawing("0\nLINE\n5\n2F\n8\n0\n");
    auto withEnd = [&lf](const std::string& end) {
        std::string text;
        for (char c : lf) {
            text += c == '\n' ? end : std::string(1, c);
        }
        return text;
    };
    std::string mixed = withEnd("\r");
    mixed.replace(mixed.find("\r8\r"), 3, "\r8\r\n");  // one CR LF among CRs
    const struct {
        std::string bytes;
        std::string end;
    } cases[] = {{lf, "\n"}, {withEnd("\r\n"), "\r\n"}, {withEnd("\r"), "\r"}, {mixed, "\r"}};
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 12));
        writeFile(dir.file("in.dxf"), c.bytes);
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDwgFile(dir.file("in.dxf").c_str()), Acad::eOk) << db.lastErrorText();
        ASSERT_EQ(db.saveAs(dir.file("out.dxf").c_str()), Acad::eOk);
        const std::string saved = readFile(dir.file("out.dxf"));
        const std::string first = "  0" + c.end + "SECTION" + c.end;
        EXPECT_EQ(saved.substr(0, first.size()), first);
        EXPECT_EQ(saved.find(c.end == "\r" ? "\n" : "\r\r"), std::string::npos);
        EXPECT_NE(saved.find(c.end + "2F" + c.end), std::string::npos);
    }
}

// Stray carriage returns before a line feed (and line feeds after a carriage
// return among CR line ends) belong to the line end, not to the value: a
// save writes the value with the file's own line end, and reading that back
// must give the same value, as RECOVER relies on.
TEST(DxfStore, StrayLineEndCharactersAreNotPartOfAValue) {
    const struct {
        std::string bytes;
        std::string layerLine;
    } cases[] = {{drawing("0\nLINE\n5\n2F\n8\nL1\r\r\n"), "\nL1\n"},
                 {drawing("0\nLINE\n5\n2F\n8\r\r\nL1\n"), "\nL1\n"},
                 {[] {
                      std::string text = drawing("0\nLINE\n5\n2F\n8\nL1\n");
                      std::replace(text.begin(), text.end(), '\n', '\r');
                      text.replace(text.find("\r8\r"), 3, "\r8\r\n\n");
                      return text;
                  }(),
                  "\rL1\r"}};
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        writeFile(dir.file("in.dxf"), c.bytes);
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDwgFile(dir.file("in.dxf").c_str()), Acad::eOk) << db.lastErrorText();
        ASSERT_EQ(db.saveAs(dir.file("out.dxf").c_str()), Acad::eOk);
        const std::string saved = readFile(dir.file("out.dxf"));
        EXPECT_NE(saved.find(c.layerLine), std::string::npos);
        EXPECT_EQ(tagsOf(saved), tagsOf(c.bytes));
    }
}

TEST(DxfStore, EverySampleComesBackWithTheSameTags) {
    const std::string folder = std::string(BREVANT_SOURCE_DIR) + "/tests/data/dxf";
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 4 && n.substr(n.size() - 4) == ".dxf") {
            names.push_back(n);
        }
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 11u);  // one of them binary DXF
    TempDir dir;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDwgFile((folder + "/" + name).c_str()), Acad::eOk) << db.lastErrorText();
        const std::string out = dir.file(name);
        ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk) << db.lastErrorText();
        const std::string original = readFile(folder + "/" + name);
        const std::string saved = readFile(out);
        EXPECT_EQ(tagsOf(saved), tagsOf(original));
        // The file's own line ends are kept.
        EXPECT_EQ(saved.find("\r\n") != std::string::npos,
                  original.find("\r\n") != std::string::npos);
    }
}

// The template of a new drawing is the data file of the source tree, loads
// without error, and is what a new drawing saves.
TEST(DxfStore, TheNewDrawingTemplateLoadsAndIsWhatANewDrawingSaves) {
    const std::string_view content = brevant::db::newDrawingTemplate();
    EXPECT_EQ(std::string(content),
              readFile(std::string(BREVANT_SOURCE_DIR) + "/host/db/templates/NewDrawing.dxf"));
    brevant::dxf::TagFile file;
    std::string error;
    ASSERT_TRUE(file.parse(std::vector<char>(content.begin(), content.end()), error)) << error;
    brevant::dxf::DrawingStructure structure;
    ASSERT_TRUE(brevant::dxf::readStructure(file, structure, error)) << error;
    EXPECT_NE(structure.firstDictionary, brevant::dxf::kNoRecord);
    EXPECT_EQ(structure.blocks.size(), 2u);  // model space and one layout

    TempDir dir;
    AcDbDatabase db;
    ASSERT_EQ(db.saveAs(dir.file("new.dwg").c_str()), Acad::eOk) << db.lastErrorText();
    EXPECT_EQ(tagsOf(readFile(dir.file("new.dwg"))), tagsOf(std::string(content)));
}

TEST(DxfStore, FailedSaveLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string path = dir.file("plan.dxf");
    AcDbDatabase first;
    ASSERT_EQ(first.saveAs(path.c_str()), Acad::eOk);
    const std::string before = readFile(path);
    AcDbDatabase db;
    ASSERT_EQ(db.setProjectName("changed"), Acad::eOk);
    using brevant::platform::Operation;
    for (Operation op : {Operation::FileCreate, Operation::FileWrite, Operation::Rename}) {
        SCOPED_TRACE(int(op));
        brevant::platform::failAfter(op, 1);
        EXPECT_NE(db.saveAs(path.c_str()), Acad::eOk);
        brevant::platform::failAfter(op, 0);
        EXPECT_EQ(readFile(path), before);
        EXPECT_NE(std::string(db.lastErrorText()).find(path), std::string::npos);
        DIR* d = opendir(dir.path().c_str());
        int files = 0;
        while (dirent* e = readdir(d)) {
            files += e->d_name[0] != '.';
        }
        closedir(d);
        EXPECT_EQ(files, 1);  // no half-written file beside it
    }
    brevant::platform::failAfter(Operation::FileWrite, 1);
    EXPECT_EQ(db.saveAs(path.c_str()), Acad::eDiskFull);
    brevant::platform::failAfter(Operation::FileWrite, 0);
    EXPECT_EQ(std::string(db.lastErrorText()), path + ": there is not enough space on the disk");
    EXPECT_EQ(db.lastFileError(), 112u);
}
