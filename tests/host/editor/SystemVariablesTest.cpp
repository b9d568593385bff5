// System variables through acedGetVar/acedSetVar and the SETVAR and GETVAR
// commands: every result type, read-only ones, refusals and ERRNO.
#include "HostFixture.h"
#include "adslib.h"
#include "hostdb.h"
#include "acdocman.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>

namespace brevant::test {
namespace {

using brevant::host::runCommand;

class SystemVariables : public HostTest {
protected:
    static short errnoValue() {
        resbuf value;
        EXPECT_EQ(acedGetVar("ERRNO", &value), RTNORM);
        EXPECT_EQ(value.restype, RTSHORT);
        return value.resval.rint;
    }
    static std::string text(const char* name) {
        resbuf value;
        if (acedGetVar(name, &value) != RTNORM || value.restype != RTSTR) {
            return "<not a text>";
        }
        std::string result = value.resval.rstring;
        free(value.resval.rstring);
        return result;
    }
};

TEST_F(SystemVariables, EveryTypeReadsAndWrites) {
    resbuf value;
    ASSERT_EQ(acedGetVar("acadver", &value), RTNORM);  // names without regard to case
    EXPECT_EQ(value.restype, RTSTR);
    EXPECT_STREQ(value.resval.rstring, "15.0");
    EXPECT_EQ(value.rbnext, nullptr);
    free(value.resval.rstring);

    ASSERT_EQ(acedGetVar("LUPREC", &value), RTNORM);
    EXPECT_EQ(value.restype, RTSHORT);
    EXPECT_EQ(value.resval.rint, 4);

    // A real takes an integer too.
    resbuf two = {nullptr, RTSHORT, {}};
    two.resval.rint = 2;
    ASSERT_EQ(acedSetVar("LTSCALE", &two), RTNORM);
    ASSERT_EQ(acedGetVar("LTSCALE", &value), RTNORM);
    EXPECT_EQ(value.restype, RTREAL);
    EXPECT_EQ(value.resval.rreal, 2.0);

    // An angle stays an angle, from 0 up to a full turn.
    resbuf angle = {nullptr, RTREAL, {}};
    angle.resval.rreal = -M_PI / 2;
    ASSERT_EQ(acedSetVar("ANGBASE", &angle), RTNORM);
    ASSERT_EQ(acedGetVar("ANGBASE", &value), RTNORM);
    EXPECT_EQ(value.restype, RTANG);
    EXPECT_DOUBLE_EQ(value.resval.rreal, 1.5 * M_PI);

    // A 2D point keeps no z; a 3D point takes a 2D one with z 0.
    resbuf point = {nullptr, RT3DPOINT, {}};
    point.resval.rpoint[0] = 1;
    point.resval.rpoint[1] = 2;
    point.resval.rpoint[2] = 3;
    ASSERT_EQ(acedSetVar("LIMMAX", &point), RTNORM);
    ASSERT_EQ(acedGetVar("LIMMAX", &value), RTNORM);
    EXPECT_EQ(value.restype, RTPOINT);
    EXPECT_EQ(value.resval.rpoint[0], 1);
    EXPECT_EQ(value.resval.rpoint[1], 2);
    EXPECT_EQ(value.resval.rpoint[2], 0);
    point.restype = RTPOINT;
    ASSERT_EQ(acedSetVar("INSBASE", &point), RTNORM);
    ASSERT_EQ(acedGetVar("INSBASE", &value), RTNORM);
    EXPECT_EQ(value.restype, RT3DPOINT);
    EXPECT_EQ(value.resval.rpoint[2], 0);

    ASSERT_EQ(acedGetVar("DWGTITLED", &value), RTNORM);
    EXPECT_EQ(value.restype, RTSHORT);
    EXPECT_EQ(value.resval.rint, 0);

    EXPECT_EQ(acedGetVar("NOSUCHVAR", &value), RTERROR);
    EXPECT_EQ(acedGetVar(nullptr, &value), RTERROR);
    EXPECT_EQ(acedGetVar("ERRNO", nullptr), RTERROR);
    EXPECT_EQ(acedSetVar("NOSUCHVAR", &two), RTERROR);
    EXPECT_EQ(acedSetVar("LTSCALE", nullptr), RTERROR);
}

TEST_F(SystemVariables, RefusalsSetErrnoAndKeepTheValue) {
    struct Case {
        const char* name;
        int type;
        double number;
        const char* text;
        short expectedErrno;
    };
    const Case cases[] = {
        {"DWGNAME", RTSTR, 0, "x.dwg", 20}, {"ACADVER", RTSTR, 0, "16.0", 20},
        {"DWGTITLED", RTSHORT, 1, "", 20},  {"LTSCALE", RTREAL, 0, "", 21},
        {"LTSCALE", RTREAL, -1, "", 22},    {"LTSCALE", RTREAL, NAN, "", 22},
        {"LTSCALE", RTSTR, 0, "2", 22},     {"LUPREC", RTSHORT, 9, "", 22},
        {"LUPREC", RTSHORT, -1, "", 22},    {"LUPREC", RTREAL, 2, "", 22},
        {"ERRNO", RTLONG, 70000, "", 22},   {"LIMMIN", RTSHORT, 1, "", 22},
        {"INSBASE", RTREAL, 1, "", 22},     {"ANGBASE", RTSTR, 0, "90", 22},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i + 1);
        const Case& c = cases[i];
        resbuf sentinel = {nullptr, RTSHORT, {}};
        sentinel.resval.rint = 99;
        ASSERT_EQ(acedSetVar("ERRNO", &sentinel), RTNORM);
        resbuf before;
        memset(&before, 0, sizeof(before));
        ASSERT_EQ(acedGetVar(c.name, &before), RTNORM);

        resbuf value = {nullptr, (short)c.type, {}};
        std::string copy = c.text;
        if (c.type == RTSTR) {
            value.resval.rstring = &copy[0];
        } else if (c.type == RTSHORT) {
            value.resval.rint = (short)c.number;
        } else if (c.type == RTLONG) {
            value.resval.rlong = (int32_t)c.number;
        } else {
            value.resval.rreal = c.number;
        }
        EXPECT_EQ(acedSetVar(c.name, &value), RTERROR);
        EXPECT_EQ(errnoValue(), c.expectedErrno);

        if (std::string(c.name) == "ERRNO") {
            continue;  // its value is the refusal's number
        }
        resbuf after;
        memset(&after, 0, sizeof(after));
        ASSERT_EQ(acedGetVar(c.name, &after), RTNORM);
        EXPECT_EQ(after.restype, before.restype);
        if (before.restype == RTSTR) {
            EXPECT_STREQ(after.resval.rstring, before.resval.rstring);
            free(before.resval.rstring);
            free(after.resval.rstring);
        } else {
            EXPECT_EQ(memcmp(&after.resval, &before.resval, sizeof(after.resval)), 0);
        }
    }
    // An unknown name is no error of the editor's: ERRNO stays.
    resbuf value = {nullptr, RTSHORT, {}};
    value.resval.rint = 99;
    ASSERT_EQ(acedSetVar("ERRNO", &value), RTNORM);
    EXPECT_EQ(acedGetVar("NOSUCHVAR", &value), RTERROR);
    EXPECT_EQ(errnoValue(), 99);
}

TEST_F(SystemVariables, TheDrawingsNameAndFolder) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    const std::string folder = brevant::platform::toWindowsPath(cwd) + "\\";
    EXPECT_EQ(text("DWGNAME"), "");
    EXPECT_EQ(text("DWGPREFIX"), folder);

    ASSERT_NE(brevant::host::newDocument(), nullptr);
    EXPECT_EQ(text("DWGNAME"), "Drawing1.dwg");
    EXPECT_EQ(text("DWGPREFIX"), folder);

    std::filesystem::create_directories(m_temp.file("Jobs/A100"));
    brevant::platform::mapDrive("C", m_temp.path());
    ASSERT_TRUE(runCommand("SAVEAS C:\\Jobs\\A100\\plan01.dwg"));
    EXPECT_EQ(text("DWGNAME"), "plan01.dwg");
    EXPECT_EQ(text("DWGPREFIX"), "C:\\Jobs\\A100\\");
    resbuf titled;
    ASSERT_EQ(acedGetVar("DWGTITLED", &titled), RTNORM);
    EXPECT_EQ(titled.resval.rint, 1);

    ASSERT_TRUE(runCommand("SETVAR PROJECTNAME \"Job A100\""));
    EXPECT_EQ(text("PROJECTNAME"), "Job A100");
}

// Header variables live in each drawing; the session's value stands in where
// there is no drawing, or where the drawing's header lacks the variable.
TEST_F(SystemVariables, HeaderVariablesLiveInEachDrawing) {
    auto real = [](const char* name) {
        resbuf value;
        EXPECT_EQ(acedGetVar(name, &value), RTNORM);
        return value.resval.rreal;
    };
    resbuf value = {nullptr, RTREAL, {}};
    AcApDocument* pFirst = brevant::host::newDocument();
    ASSERT_NE(pFirst, nullptr);
    EXPECT_TRUE(brevant::host::headerVariable(pFirst->database(), "$LTSCALE").empty());
    EXPECT_EQ(real("LTSCALE"), 1.0);
    value.resval.rreal = 2.5;
    ASSERT_EQ(acedSetVar("LTSCALE", &value), RTNORM);
    EXPECT_EQ(brevant::host::headerVariable(pFirst->database(), "$LTSCALE"),
              std::vector<std::string>{"2.5"});
    EXPECT_TRUE(pFirst->database()->isModified());

    ASSERT_NE(brevant::host::newDocument(), nullptr);  // the second drawing keeps its own
    EXPECT_EQ(real("LTSCALE"), 1.0);
    value.resval.rreal = 4;
    ASSERT_EQ(acedSetVar("LTSCALE", &value), RTNORM);
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(real("LTSCALE"), 2.5);  // the first is current again
    ASSERT_TRUE(runCommand("CLOSE"));
    EXPECT_EQ(real("LTSCALE"), 1.0);  // the session's value, never changed

    resbuf point = {nullptr, RT3DPOINT, {}};
    point.resval.rpoint[0] = 1;
    point.resval.rpoint[1] = 2;
    point.resval.rpoint[2] = 3;
    AcApDocument* pThird = brevant::host::newDocument();
    ASSERT_EQ(acedSetVar("INSBASE", &point), RTNORM);
    EXPECT_EQ(brevant::host::headerVariable(pThird->database(), "$INSBASE"),
              (std::vector<std::string>{"1.0", "2.0", "3.0"}));
}

TEST_F(SystemVariables, SetvarAndGetvarCommands) {
    struct Case {
        const char* line;
        const char* output;
        bool ok;
    };
    const Case cases[] = {
        {"GETVAR ltscale", "LTSCALE = 1.0000\n", true},
        {"SETVAR LTSCALE 2.5", "", true},
        {"GETVAR LTSCALE", "LTSCALE = 2.5000\n", true},
        {"SETVAR luprec 2", "", true},
        {"GETVAR LTSCALE", "LTSCALE = 2.50\n", true},
        {"GETVAR ACADVER", "ACADVER = \"15.0\" (read only)\n", true},
        {"GETVAR DWGNAME", "DWGNAME = \"\" (read only)\n", true},
        {"SETVAR ACADVER 16", "Cannot set ACADVER: it is read-only.\n", false},
        {"SETVAR LTSCALE 0", "Cannot set LTSCALE to 0: zero is not allowed.\n", false},
        {"SETVAR LTSCALE abc", "Cannot set LTSCALE to abc: Requires a number.\n", false},
        {"SETVAR LTSCALE 0x10", "Cannot set LTSCALE to 0x10: Requires a number.\n", false},
        {"SETVAR LTSCALE 1e999", "Cannot set LTSCALE to 1e999: Requires a number.\n", false},
        {"SETVAR LUPREC 9", "Cannot set LUPREC to 9: value out of range.\n", false},
        {"SETVAR LUPREC 1.5", "Cannot set LUPREC to 1.5: Requires an integer value.\n", false},
        {"SETVAR LUPREC 99999999999", "Cannot set LUPREC to 99999999999: value out of range.\n",
         false},
        {"SETVAR LIMMAX 10,20", "", true},
        {"GETVAR LIMMAX", "LIMMAX = 10.00,20.00\n", true},
        {"SETVAR LIMMAX 1,2,3", "Cannot set LIMMAX to 1,2,3: Requires a point: x,y.\n", false},
        {"SETVAR INSBASE 1, 2", "", true},
        {"GETVAR INSBASE", "INSBASE = 1.00,2.00,0.00\n", true},
        {"SETVAR INSBASE 1,,2", "Cannot set INSBASE to 1,,2: Requires a point: x,y,z.\n", false},
        {"SETVAR ANGBASE 90", "", true},
        {"GETVAR ANGBASE", "ANGBASE = 90\n", true},
        {"SETVAR ERRNO 5", "", true},
        {"GETVAR ERRNO", "ERRNO = 5\n", true},
        {"GETVAR NOSUCH", "Unknown variable name \"NOSUCH\".\n", false},
        {"SETVAR nosuch 1", "Unknown variable name \"NOSUCH\".\n", false},
        {"SETVAR LTSCALE", "Requires a value: SETVAR LTSCALE <value>.\n", false},
        {"SETVAR", "Requires a variable name and a value: SETVAR <name> <value>.\n", false},
        {"GETVAR", "Requires a variable name: GETVAR <name>.\n", false},
        {"SETVAR PROJECTNAME x", "Cannot set PROJECTNAME to x: no drawing is open.\n", false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << (i + 1) << ": " << cases[i].line);
        EXPECT_EQ(runCommand(cases[i].line), cases[i].ok);
        EXPECT_EQ(printed(), cases[i].output);
    }
}

}  // namespace
}  // namespace brevant::test
