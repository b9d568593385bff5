// Where the diagnostics' outlets go: the command line in pieces, the
// debugger, message boxes; at which debug level; and the check pattern.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CommandLineRecorder.h"
#include "Maintenance.h"
#include "Messages.h"
#include "aced.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

using brevant::test::commandLineCalls;
using brevant::test::commandLineText;
using namespace Pellam::Messages;

namespace {

// The library named "Brevant", the level given, no debugger, outputs captured.
class MessagesOutput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!G_bLibraryInitialised) {
            Pellam::initialiseLibrary("Brevant", NULL);
        }
        brevant::host::setConsoleOutput(false);
        unsetenv("BREVANT_DEBUGGER");
        brevant::platform::captureDebugOutput(&m_vectorDebugger);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        commandLineCalls().clear();
    }
    void TearDown() override {
        int iPrevious = 0;
        setDebugLevel(0, iPrevious);
        unsetenv("BREVANT_DEBUGGER");
        brevant::platform::captureDebugOutput(nullptr);
        brevant::platform::captureMessageBoxes(nullptr);
    }
    void setLevel(int iLevel) {
        int iPrevious = 0;
        ASSERT_TRUE(setDebugLevel(iLevel, iPrevious));
    }
    void setDebugger(bool bAttached) {
        if (bAttached) {
            setenv("BREVANT_DEBUGGER", "1", 1);
        } else {
            unsetenv("BREVANT_DEBUGGER");
        }
    }
    void clear() {
        commandLineCalls().clear();
        m_vectorDebugger.clear();
        m_vectorBoxes.clear();
    }

    std::vector<std::string> m_vectorDebugger;
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

int G_iEvaluations = 0;
bool countedFalse() {
    ++G_iEvaluations;
    return false;
}

}  // namespace

TEST_F(MessagesOutput, TraceByLevelAndDebugger) {
    struct Case {
        int iLevel;
        bool bDebugger;
        const char* sCommandLine;
        const char* sDebugger;
    } cases[] = {
        {0, false, "", ""},
        {1, false, "", ""},
        {2, false, "Brevant (high) : CTitleBlock::get(\"DOCTITLE\")\n", ""},
        {0, true, "", "Brevant (low) : CTitleBlock::get(\"DOCTITLE\")\n"},
        {1, true, "", "Brevant (low) : CTitleBlock::get(\"DOCTITLE\")\n"},
        {2, true, "", "Brevant (high) : CTitleBlock::get(\"DOCTITLE\")\n"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        clear();
        setLevel(cases[i].iLevel);
        setDebugger(cases[i].bDebugger);
        traceFormat("CTitleBlock::get(\"%s\")\n", "DOCTITLE");
        EXPECT_EQ(commandLineText(), cases[i].sCommandLine);
        const std::string sDebugger = m_vectorDebugger.empty() ? "" : m_vectorDebugger[0];
        EXPECT_EQ(sDebugger, cases[i].sDebugger);
        EXPECT_LE(m_vectorDebugger.size(), 1u);
    }
}

TEST_F(MessagesOutput, TraceLineEnds) {
    setLevel(2);
    trace("\n\nRefreshing Brevant.\n\n");
    trace("");
    EXPECT_EQ(commandLineText(), "Brevant (high) : Refreshing Brevant.\nBrevant (high) : \n");
}

TEST_F(MessagesOutput, MessagesAlwaysReachTheCommandLine) {
    // The host error message reads ERRNO through the variable object, whose
    // read is traced like any other.
    const std::string sError =
        "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n";
    for (int iLevel = 0; iLevel <= 2; ++iLevel) {
        for (bool bDebugger : {false, true}) {
            SCOPED_TRACE(iLevel * 10 + bDebugger);
            clear();
            setLevel(iLevel);
            setDebugger(bDebugger);
            message("\n\nabc\n\n");
            acadErrorMessage("Invalid argument passed to DebugLevel");
            const std::string sRead = std::string("Brevant (") + (iLevel == 2 ? "high" : "low") +
                                      ") : Read - ERRNO value is : 0 (Short).\n";
            if (bDebugger) {
                EXPECT_EQ(commandLineText(), "abc\n" + sError);
                EXPECT_EQ(m_vectorDebugger, (std::vector<std::string>{"abc\n", sRead, sError}));
            } else {
                EXPECT_EQ(commandLineText(), "abc\n" + (iLevel == 2 ? sRead : "") + sError);
                EXPECT_TRUE(m_vectorDebugger.empty());
            }
        }
    }
}

TEST_F(MessagesOutput, HostErrorCarriesTheLastErrorNumber) {
    // The editor's ERRNO and its status text; formatting with its limit.
    struct Case {
        short iErrno;
        const char* sExpected;
    } cases[] = {
        {22,
         "Brevant AutoCAD error : 22 (eWasOpenForWrite) - Error writing DIN file for "
         "\"C:\\Jobs\\plan.dwg\".\n"},
        {0,
         "Brevant AutoCAD error : 0 (eOk) - Error writing DIN file for "
         "\"C:\\Jobs\\plan.dwg\".\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iErrno);
        clear();
        resbuf value;
        value.rbnext = NULL;
        value.restype = RTSHORT;
        value.resval.rint = c.iErrno;
        ASSERT_EQ(acedSetVar("ERRNO", &value), RTNORM);
        acadError("Error writing DIN file for \"%s\".", "C:\\Jobs\\plan.dwg");
        EXPECT_EQ(commandLineText(), c.sExpected);
    }
    clear();
    acadError("%s", std::string(3000, 'x').c_str());
    EXPECT_EQ(commandLineText(), "Brevant AutoCAD error : 0 (eOk) - <<<< too big >>>>\n");
}

TEST_F(MessagesOutput, CommandLinePiecesOf132) {
    struct Case {
        size_t iLength;
        std::vector<size_t> vectorPieces;
    } cases[] = {
        {300, {132, 132, 37}},  // the 37th character is the appended line feed
        {131, {132}},          {132, {132, 1}}, {0, {1}}, {264, {132, 132, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iLength);
        clear();
        const std::string sText(c.iLength, 'm');
        message(sText.c_str());
        std::vector<size_t> vectorPieces;
        for (const std::string& sCall : commandLineCalls()) {
            vectorPieces.push_back(sCall.size());
        }
        EXPECT_EQ(vectorPieces, c.vectorPieces);
        EXPECT_EQ(commandLineText(), sText + "\n");
    }
}

TEST_F(MessagesOutput, AssertionReportShowsABoxThenATrace) {
    setLevel(2);
    reportAssertion("m_bInitialised", "/src/VersionBlock.cpp", 42);
    const std::string sReport =
        "Assertion : <m_bInitialised>\nFile : </src/VersionBlock.cpp>\nLine : 42";
    ASSERT_EQ(m_vectorBoxes.size(), 1u);
    EXPECT_EQ(m_vectorBoxes[0].caption, "Debug Assertion Failure");
    EXPECT_EQ(m_vectorBoxes[0].text, sReport);
    EXPECT_EQ(m_vectorBoxes[0].type, 16u);
    EXPECT_EQ(commandLineText(), "Brevant (high) : " + sReport + "\n");
}

TEST_F(MessagesOutput, CheckPatternReportsOnlyAtLevelTwo) {
    // The condition is evaluated at every level; only level 2 reports it, with
    // the condition's own source text, this file and the line.
    for (int iLevel = 0; iLevel <= 2; ++iLevel) {
        SCOPED_TRACE(iLevel);
        clear();
        setLevel(iLevel);
        G_iEvaluations = 0;
        const int iLine = __LINE__ + 1;
        const bool bResult = PELLAM_VERIFY(countedFalse() == true);
        EXPECT_FALSE(bResult);
        EXPECT_EQ(G_iEvaluations, 1);
        EXPECT_TRUE(PELLAM_VERIFY(G_iEvaluations == 1));
        if (iLevel < 2) {
            EXPECT_TRUE(m_vectorBoxes.empty());
            EXPECT_EQ(commandLineText(), "");
            continue;
        }
        const std::string sReport = "Assertion : <countedFalse() == true>\nFile : <" +
                                    std::string(__FILE__) + ">\nLine : " + std::to_string(iLine);
        ASSERT_EQ(m_vectorBoxes.size(), 1u);
        EXPECT_EQ(m_vectorBoxes[0].text, sReport);
        EXPECT_EQ(commandLineText(), "Brevant (high) : " + sReport + "\n");
    }
}

TEST_F(MessagesOutput, LibraryInitialisedTwiceReportsAndTakesTheNewName) {
    setLevel(2);
    ASSERT_TRUE(G_bLibraryInitialised);
    HINSTANCE hOther = reinterpret_cast<HINSTANCE>(&G_iEvaluations);
    Pellam::initialiseLibrary("Other", hOther);
    ASSERT_EQ(m_vectorBoxes.size(), 1u);
    EXPECT_NE(m_vectorBoxes[0].text.find("Assertion : <!G_bLibraryInitialised>\nFile : <"),
              std::string::npos);
    EXPECT_NE(m_vectorBoxes[0].text.find("Maintenance.cpp>"), std::string::npos);
    EXPECT_EQ(Pellam::getApplicationName(), CString("Other"));
    EXPECT_EQ(Pellam::getModuleInstance(), hOther);
    clear();
    Pellam::initialiseLibrary("", NULL);
    ASSERT_EQ(m_vectorBoxes.size(), 2u);
    EXPECT_NE(m_vectorBoxes[1].text.find("Assertion : <CString(sApplicationName) != _T(\"\")>"),
              std::string::npos);
    setLevel(0);
    Pellam::initialiseLibrary("Brevant", NULL);  // as the other tests expect it
}
