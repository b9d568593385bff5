// System variables read from and written to the editor through the typed
// variable object, its descriptions, and the exceptions of failed reads and
// writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CommandLineRecorder.h"
#include "GenericException.h"
#include "Maintenance.h"
#include "Messages.h"
#include "Variable.h"
#include "aced.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

using brevant::test::commandLineCalls;
using brevant::test::commandLineText;
using Pellam::CARXVariable;
using Pellam::CARXVariableException;
using Pellam::CVariable;

namespace {

// Traces on the command line (debug level 2), message boxes captured.
class Variable : public ::testing::Test {
protected:
    void SetUp() override {
        if (!G_bLibraryInitialised) {
            Pellam::initialiseLibrary("Brevant", NULL);
        }
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(2, iPrevious);
        commandLineCalls().clear();
    }
    void TearDown() override {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::platform::captureMessageBoxes(nullptr);
    }

    // The message of a caught variable exception, which is then disposed of.
    static std::string messageOf(CException* pException) {
        char sMessage[256];
        EXPECT_TRUE(pException->IsKindOf(RUNTIME_CLASS(CARXVariableException)));
        EXPECT_TRUE(pException->GetErrorMessage(sMessage, sizeof(sMessage)));
        pException->Delete();
        return sMessage;
    }

    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

}  // namespace

TEST_F(Variable, ReadsEachResultType) {
    // Variables of every type the editor keeps, with the trace of each read.
    struct Case {
        const char* sName;
        int iType;
        const char* sTrace;
    } cases[] = {
        {"ERRNO", CVariable::TYPE_SHORT, "Read - ERRNO value is : 0 (Short)."},
        {"LUPREC", CVariable::TYPE_SHORT, "Read - LUPREC value is : 4 (Short)."},
        {"ACADVER", CVariable::TYPE_STRING, "Read - ACADVER value is : 15.0 (String)."},
        {"LTSCALE", CVariable::TYPE_DOUBLE, "Read - LTSCALE value is : 1 (Double)."},
        {"LIMMAX", CVariable::TYPE_POINT2D, "Read - LIMMAX value is : 12,9 (2D Point)."},
        {"INSBASE", CVariable::TYPE_POINT3D, "Read - INSBASE value is : 0,0,0 (3D Point)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        commandLineCalls().clear();
        CARXVariable variable(c.sName);
        EXPECT_EQ(variable.getType(), CVariable::TYPE_NONE);
        variable.read();
        EXPECT_EQ(variable.getType(), c.iType);
        EXPECT_EQ(commandLineText(), std::string("Brevant (high) : ") + c.sTrace + "\n");
    }
    CARXVariable version("ACADVER");
    EXPECT_STREQ(version.readString(), "15.0");
    CARXVariable limits("LIMMAX");
    limits.read();
    EXPECT_EQ(limits.get2DPoint().x, 12.0);
    EXPECT_EQ(limits.get2DPoint().y, 9.0);
}

TEST_F(Variable, ReadingErrnoGivesTheLastErrorNumber) {
    resbuf value;
    value.rbnext = NULL;
    value.restype = RTSHORT;
    value.resval.rint = 22;
    ASSERT_EQ(acedSetVar("ERRNO", &value), RTNORM);
    CARXVariable variable("ERRNO");
    EXPECT_EQ(variable.readShort(), 22);
    EXPECT_EQ(variable.getType(), CVariable::TYPE_SHORT);
    // Another type's getter gives what its field holds: the text was never set.
    EXPECT_STREQ(variable.getString(), "");
}

TEST_F(Variable, FailedReadsThrowAndLeaveTheValue) {
    // An angle is no type the object takes; an unknown name is no variable.
    for (const char* sName : {"ANGBASE", "NOSUCHVAR", ""}) {
        SCOPED_TRACE(sName);
        commandLineCalls().clear();
        CARXVariable variable(sName);
        try {
            variable.readShort();
            ADD_FAILURE() << "no exception";
        } catch (CException* pException) {
            EXPECT_EQ(messageOf(pException),
                      "Error : Unable to read AutoCAD variable" +
                          (*sName ? " (" + std::string(sName) + ")." : std::string(".")));
        }
        EXPECT_EQ(variable.getType(), CVariable::TYPE_NONE);
        EXPECT_EQ(commandLineText(), "") << "a failed read traces nothing";
    }
}

TEST_F(Variable, WritesEachType) {
    // Each assignment writes; reading back gives the value and the type.
    CARXVariable lupRec("LUPREC");
    lupRec = (short)6;
    EXPECT_EQ(CARXVariable("LUPREC").readShort(), 6);

    CARXVariable ltScale("LTSCALE");
    ltScale = 0.1 + 0.2;
    CARXVariable ltScaleBack("LTSCALE");
    ltScaleBack.read();
    EXPECT_EQ(ltScaleBack.getDouble(), 0.1 + 0.2);
    EXPECT_STREQ(ltScaleBack.describe(), "LTSCALE value is : 0.3 (Double).");

    CARXVariable limMin("LIMMIN");
    limMin = Pellam::CVariablePoint2D{1.0, 2.5};
    resbuf result;
    ASSERT_EQ(acedGetVar("LIMMIN", &result), RTNORM);
    EXPECT_EQ(result.restype, RTPOINT);
    EXPECT_EQ(result.resval.rpoint[0], 1.0);
    EXPECT_EQ(result.resval.rpoint[1], 2.5);
    EXPECT_EQ(result.resval.rpoint[2], 0.0);

    CARXVariable insBase("INSBASE");
    insBase = Pellam::CVariablePoint3D{1.0, 2.5, 0.0};
    EXPECT_STREQ(insBase.describe(), "INSBASE value is : 1,2.5,0 (3D Point).");
    commandLineCalls().clear();
    CARXVariable insBaseBack("INSBASE");
    insBaseBack.read();
    EXPECT_EQ(commandLineText(),
              "Brevant (high) : Read - INSBASE value is : 1,2.5,0 (3D Point).\n");

    CARXVariable errNo("ERRNO");
    errNo = true;
    EXPECT_EQ(CARXVariable("ERRNO").readShort(), 1);
}

TEST_F(Variable, FailedWritesTraceThenThrow) {
    struct Case {
        const char* sName;
        const char* sTrace;
    } cases[] = {
        // Read-only in the editor.
        {"DWGNAME", "Brevant (high) : Written - DWGNAME value is : A.dwg (String).\n"},
        // A value of the wrong type for the variable.
        {"LUPREC", "Brevant (high) : Written - LUPREC value is : A.dwg (String).\n"},
        {"NOSUCHVAR", "Brevant (high) : Written - NOSUCHVAR value is : A.dwg (String).\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        commandLineCalls().clear();
        CARXVariable variable(c.sName);
        try {
            variable = "A.dwg";
            ADD_FAILURE() << "no exception";
        } catch (CException* pException) {
            EXPECT_EQ(messageOf(pException),
                      std::string("Error : Unable to write AutoCAD variable (") + c.sName + ").");
        }
        EXPECT_EQ(commandLineText(), c.sTrace);
        EXPECT_STREQ(variable.getString(), "A.dwg");
    }
}

TEST_F(Variable, DescriptionsAndTheBoolCheck) {
    // A fresh variable has no type: a failed check, and empty value and type.
    CVariable fresh("USERS1");
    EXPECT_STREQ(fresh.describe(), "USERS1 value is :  ().");
    ASSERT_EQ(m_vectorBoxes.size(), 1u);
    EXPECT_EQ(m_vectorBoxes[0].text.rfind("Assertion : <false>\nFile : <", 0), 0u);

    CVariable flag("FLAG");
    flag = (short)2;
    EXPECT_TRUE(flag.getBool());
    ASSERT_EQ(m_vectorBoxes.size(), 2u);
    EXPECT_EQ(m_vectorBoxes[1].text.rfind(
                  "Assertion : <(m_iValue == 1) || (m_iValue == 0)>\nFile : <", 0),
              0u);
    flag = false;
    EXPECT_FALSE(flag.getBool());
    EXPECT_EQ(flag.getShort(), 0);
    EXPECT_EQ(m_vectorBoxes.size(), 2u);

    CVariable text("T");
    text = "a literal is text";
    EXPECT_EQ(text.getType(), CVariable::TYPE_STRING);
    EXPECT_STREQ(text.describe(), "T value is : a literal is text (String).");
    // Writing without any value: a failed write, the editor untouched.
    const short iBefore = CARXVariable("LUPREC").readShort();
    CARXVariable none("LUPREC");
    try {
        none.write();
        ADD_FAILURE() << "no exception";
    } catch (CException* pException) {
        EXPECT_EQ(messageOf(pException), "Error : Unable to write AutoCAD variable (LUPREC).");
    }
    EXPECT_EQ(CARXVariable("LUPREC").readShort(), iBefore);
}
