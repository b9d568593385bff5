// The quirk corpus (tests/data/dxf-quirks, one small drawing per quirk): what
// other writers do opens and saves back byte for byte; a handle that two
// records share is renumbered and said once; damage that OPEN refuses,
// RECOVER mends, listing each change, into a drawing that saves as a sound
// file.
#include "TempDir.h"

#include "../../../host/db/DbInternal.h"
#include "dbmain.h"
#include "hostdb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using brevant::test::readFile;
using brevant::test::TempDir;
using brevant::test::writeFile;

namespace {

std::string corpus(const std::string& name) {
    return std::string(BREVANT_SOURCE_DIR) + "/tests/data/dxf-quirks/" + name;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(DxfQuirks, OtherWritersFilesOpenAndSaveBackByteForByte) {
    TempDir dir;
    for (const char* name :
         {"dimstyle-name-in-340.dxf", "dimstyle-empty-341.dxf", "cr-line-ends.dxf",
          "binary-R12.dxf", "binary-R2000.dxf", "binary-R2004.dxf", "binary-R2007.dxf",
          "binary-R2010.dxf", "binary-R2013.dxf", "binary-R2018.dxf"}) {
        SCOPED_TRACE(name);
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDwgFile(corpus(name).c_str()), Acad::eOk) << db.lastErrorText();
        EXPECT_TRUE(brevant::host::loadRepairs(&db).empty());
        EXPECT_FALSE(db.isModified());
        EXPECT_EQ(brevant::host::headerVariable(&db, "$LTSCALE"), Lines{"2.5"});
        const std::string out = dir.file(name);
        ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk) << db.lastErrorText();
        EXPECT_EQ(readFile(out), readFile(corpus(name)));
    }
}

// A name or nothing in a handle group is kept, and a lookup through it finds
// nothing rather than failing the load.
TEST(DxfQuirks, AValueThatIsNoHandleIsKeptAndFindsNothing) {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(corpus("dimstyle-name-in-340.dxf").c_str()), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(db.getAcDbObjectId(id, false, AcDbHandle(0x27u)), Acad::eOk);
    const uint32_t index = id.recordIndex();
    EXPECT_EQ(db.impl()->valueOf(index, 340), "Standard");
}

TEST(DxfQuirks, SharedHandlesAreRenumberedFromTheSeedAndSaidOnce) {
    TempDir dir;
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(corpus("duplicate-handles.dxf").c_str()), Acad::eOk)
        << db.lastErrorText();
    EXPECT_EQ(brevant::host::loadRepairs(&db),
              Lines{"Handles used twice were renumbered: 2F (line 331) is now 100."});
    EXPECT_TRUE(db.isModified());
    AcDbObjectId first, renumbered;
    ASSERT_EQ(db.getAcDbObjectId(first, false, AcDbHandle(0x2Fu)), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(renumbered, false, AcDbHandle(0x100u)), Acad::eOk);
    EXPECT_LT(first.recordIndex(), renumbered.recordIndex());  // the earlier record keeps it
    const std::string out = dir.file("saved.dxf");
    ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk);
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(out.c_str()), Acad::eOk) << again.lastErrorText();
    EXPECT_TRUE(brevant::host::loadRepairs(&again).empty());
    EXPECT_EQ(brevant::host::headerVariable(&again, "$HANDSEED"), Lines{"101"});
    const std::string saved = readFile(out);
    EXPECT_NE(saved.find("  5\n100\n"), std::string::npos);
}

TEST(DxfQuirks, RecoverMendsWhatOpenRefuses) {
    struct Case {
        const char* name;
        const char* openError;  // after "<path>, "
        Lines changes;
    } cases[] = {
        {"damaged-no-eof.dxf",
         "line 325: unexpected end of file: no \"0 EOF\" end mark",
         {"line 323: no EOF record; EOF supplied"}},
        {"damaged-no-endsec.dxf",
         "line 323: the file ends inside a section (no ENDSEC)",
         {"line 323: a section without ENDSEC; ENDSEC supplied"}},
        {"damaged-endsec-in-header.dxf",
         "line 19: ENDSEC outside a section",
         {"line 9: ENDSEC inside the HEADER section; dropped"}},
        {"damaged-record-outside-section.dxf",
         "line 309: \"LINE\" outside a section",
         {"line 309: \"LINE\" outside a section; moved into ENTITIES",
          "line 333: \"ENDTAB\" outside a section; dropped"}},
        {"damaged-bad-values.dxf",
         "line 291: group code \" x8\" is not a number",
         {"line 291: group code \" x8\" is not a number; the tag is dropped",
          "line 297: value \"1.5.5\" of group code 10 is not a real number; it is read as 1.5"}},
        {"damaged-open-table.dxf",
         "line 53: a table starts inside another table",
         {"line 53: a table without ENDTAB; ENDTAB supplied"}},
        {"damaged-open-block.dxf",
         "line 227: a block starts inside another block",
         {"line 227: a block without ENDBLK; ENDBLK supplied"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = corpus(c.name);
        AcDbDatabase db(false);
        EXPECT_EQ(db.readDwgFile(path.c_str()), Acad::eBadDxfSequence);
        EXPECT_EQ(std::string(db.lastErrorText()), path + ", " + c.openError);

        ASSERT_EQ(brevant::host::recoverDrawing(&db, path.c_str()), Acad::eOk)
            << db.lastErrorText();
        EXPECT_EQ(brevant::host::loadRepairs(&db), c.changes);
        EXPECT_TRUE(db.isModified());
        const std::string out = dir.file(c.name);
        ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk);
        AcDbDatabase sound(false);
        ASSERT_EQ(sound.readDwgFile(out.c_str()), Acad::eOk) << sound.lastErrorText();
        EXPECT_TRUE(brevant::host::loadRepairs(&sound).empty());
        // What every mended drawing keeps: its header and its line.
        EXPECT_EQ(brevant::host::headerVariable(&sound, "$LTSCALE"), Lines{"2.5"});
        AcDbObjectId line;
        ASSERT_EQ(sound.getAcDbObjectId(line, false, AcDbHandle(0x2Fu)), Acad::eOk);
        EXPECT_EQ(sound.impl()->records[line.recordIndex()].section,
                  brevant::dxf::Section::Entities);
    }
}

TEST(DxfQuirks, RecoverSpecifics) {
    TempDir dir;
    // The stray LINE sits in ENTITIES; the block's supplied ENDBLK has a
    // handle of its own above every other and the seed (100).
    AcDbDatabase moved(false);
    ASSERT_EQ(
        brevant::host::recoverDrawing(&moved, corpus("damaged-record-outside-section.dxf").c_str()),
        Acad::eOk);
    AcDbObjectId line;
    ASSERT_EQ(moved.getAcDbObjectId(line, false, AcDbHandle(0x30u)), Acad::eOk);
    EXPECT_EQ(moved.impl()->records[line.recordIndex()].section, brevant::dxf::Section::Entities);

    AcDbDatabase block(false);
    ASSERT_EQ(brevant::host::recoverDrawing(&block, corpus("damaged-open-block.dxf").c_str()),
              Acad::eOk);
    AcDbObjectId end;
    ASSERT_EQ(block.getAcDbObjectId(end, false, AcDbHandle(0x101u)), Acad::eOk);
    EXPECT_EQ(block.impl()->recordType(end.recordIndex()), "ENDBLK");

    // A value that starts with no number is read as 0, binary data as the
    // hexadecimal digits it starts with; what RECOVER wrote loads as it is.
    // A sound file needs no repair.
    const std::string path = dir.file("text.dxf");
    writeFile(path,
              "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2F\n21\nabc\n70\n9x\n310\n-1\n310\n1F2Z\n"
              "0\nENDSEC\n0\nEOF\n");
    AcDbDatabase values(false);
    ASSERT_EQ(brevant::host::recoverDrawing(&values, path.c_str()), Acad::eOk);
    EXPECT_EQ(
        brevant::host::loadRepairs(&values),
        (Lines{"line 9: value \"abc\" of group code 21 is not a real number; it is read as 0.0",
               "line 11: value \"9x\" of group code 70 is not an integer; it is read as 9",
               "line 13: value \"-1\" of group code 310 is not hexadecimal binary data; it is "
               "read as no data",
               "line 15: value \"1F2Z\" of group code 310 is not hexadecimal binary data; it is "
               "read as 1F2"}));
    ASSERT_EQ(values.saveAs(dir.file("mended.dxf").c_str()), Acad::eOk);
    AcDbDatabase reread(false);
    EXPECT_EQ(reread.readDwgFile(dir.file("mended.dxf").c_str()), Acad::eOk)
        << reread.lastErrorText();
    AcDbDatabase sound(false);
    ASSERT_EQ(brevant::host::recoverDrawing(&sound, corpus("cr-line-ends.dxf").c_str()), Acad::eOk);
    EXPECT_TRUE(brevant::host::loadRepairs(&sound).empty());
    EXPECT_FALSE(sound.isModified());

    // A file without any record is no drawing, even for RECOVER.
    writeFile(path, "999\nonly a comment\n");
    AcDbDatabase none(false);
    EXPECT_EQ(brevant::host::recoverDrawing(&none, path.c_str()), Acad::eBadDxfSequence);
    EXPECT_EQ(std::string(none.lastErrorText()),
              path + ", the file holds no DXF record (no group code 0)");
}

// A header variable set in a drawing without a HEADER section gives it one,
// after its comments, and saving writes it.
TEST(DxfQuirks, AHeaderVariableOfADrawingWithoutHeader) {
    TempDir dir;
    const std::string path = dir.file("plain.dxf");
    writeFile(path,
              "999\nmade by hand\n0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n0\nENDSEC\n0\nEOF\n");
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(path.c_str()), Acad::eOk) << db.lastErrorText();
    EXPECT_TRUE(brevant::host::headerVariable(&db, "$LTSCALE").empty());
    ASSERT_EQ(brevant::host::setHeaderVariable(&db, "$LTSCALE", {{40, "2.5"}}), Acad::eOk);
    ASSERT_EQ(brevant::host::setHeaderVariable(&db, "$LTSCALE", {{40, "3.0"}}), Acad::eOk);
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    EXPECT_EQ(readFile(path).substr(0, 40), "999\nmade by hand\n  0\nSECTION\n  2\nHEADER\n");
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDwgFile(path.c_str()), Acad::eOk) << again.lastErrorText();
    EXPECT_EQ(brevant::host::headerVariable(&again, "$LTSCALE"), Lines{"3.0"});
}
