// The module's application in the editor: start-up and unload, the LISP names
// of each document and their dispatch, and the LISP handlers. The module's
// objects are linked into this program, which the editor loads as a module.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "BrevantApp.h"
#include "Messages.h"
#include "TempDir.h"
#include "acdocman.h"
#include "aced.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "rxregsvc.h"

#include <unistd.h>

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);

namespace {

const char* const kModule = "app_tests";

const std::vector<std::string> kNames = {
    "PELLAMBREVANTDEBUG",   "PELLAMBREVANTGETATTRIBUTEVALUE", "PELLAMBREVANTSETATTRIBUTEVALUE",
    "PELLAMBREVANTVERSION", "PELLAMBREVANTWRITEDWGINFO",      "PELLAMWRITEDWGINFO",
    "TARVEXBREVANTDEBUG",   "TARVEXBREVANTGETATTRIBUTEVALUE", "TARVEXBREVANTSETATTRIBUTEVALUE",
    "TARVEXBREVANTVERSION", "TARVEXBREVANTWRITEDWGINFO",
};

class BrevantApp : public ::testing::Test {
protected:
    void SetUp() override {
        // A new drawing's folder is the current one: side files written on
        // demand land in the test's own folder.
        ASSERT_NE(getcwd(m_szFolder, sizeof(m_szFolder)), nullptr);
        ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        unsetenv("BREVANT_LISPDISPATCH");
        brevant::host::clearTranscript();
    }
    void TearDown() override {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(0, iPrevious);
        brevant::host::quit();
        brevant::host::restartSession();
        brevant::platform::captureMessageBoxes(nullptr);
        unsetenv("BREVANT_LISPDISPATCH");
        EXPECT_EQ(chdir(m_szFolder), 0);
    }
    static void setLevel(int iLevel) {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(iLevel, iPrevious);
    }
    static std::string transcript() { return brevant::host::transcript(); }
    // The module loaded (its library initialised), the transcript emptied.
    static void startModule() {
        ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
        brevant::host::clearTranscript();
    }

    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
    brevant::test::TempDir m_dir;
    char m_szFolder[4096] = {0};
};

}  // namespace

TEST_F(BrevantApp, StartUpPrintsBannerAndOperationalLineThenUnloadRemovesTheService) {
    ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
    EXPECT_EQ(transcript(),
              "\n\nTarvex Brevant module loaded (app_tests).\n"
              "Tarvex Brevant module is operational.\n");
    EXPECT_TRUE(acrxServiceIsRegistered("Brevant_services"));
    EXPECT_TRUE(m_vectorBoxes.empty());

    brevant::host::clearTranscript();
    EXPECT_TRUE(acrxDynamicLinker->unloadModule(kModule, false));
    EXPECT_FALSE(acrxServiceIsRegistered("Brevant_services"));
    EXPECT_EQ(transcript(), "");
}

TEST_F(BrevantApp, OtherMessagesDoNothing) {
    brevant::host::newDocument();
    for (AcRx::AppMsgCode msg :
         {AcRx::kNullMsg, AcRx::kCfgMsg, AcRx::kEndMsg, AcRx::kQuitMsg, AcRx::kSaveMsg,
          AcRx::kPreQuitMsg, AcRx::kDependencyMsg, AcRx::kEndDialogMsg}) {
        SCOPED_TRACE((int)msg);
        EXPECT_EQ(acrxEntryPoint(msg, nullptr), AcRx::kRetOK);
    }
    EXPECT_EQ(transcript(), "");
    EXPECT_TRUE(brevant::host::lispNames(acDocManagerPtr()->curDocument()).empty());
    EXPECT_FALSE(acrxServiceIsRegistered("Brevant_services"));
}

TEST_F(BrevantApp, EachDocumentGetsElevenNames) {
    AcApDocument* pFirst = brevant::host::newDocument();
    ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
    EXPECT_EQ(brevant::host::lispNames(pFirst), kNames);
    EXPECT_EQ(CBrevantApp::getFunctionTable().size(), 5u);

    // A second drawing: the same names there, the table refilled, not grown.
    AcApDocument* pSecond = brevant::host::newDocument();
    EXPECT_EQ(brevant::host::lispNames(pSecond), kNames);
    EXPECT_EQ(brevant::host::lispNames(pFirst), kNames);
    ASSERT_EQ(CBrevantApp::getFunctionTable().size(), 5u);
    const char* const sBaseNames[] = {"Debug", "Version", "WriteDwgInfo", "GetAttributeValue",
                                      "SetAttributeValue"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_STREQ(CBrevantApp::getFunctionTable()[i].getName(), sBaseNames[i]);
    }

    // Closing a drawing undefines its names only.
    EXPECT_TRUE(brevant::host::closeDocument(pSecond));
    EXPECT_EQ(brevant::host::lispNames(pFirst), kNames);
    EXPECT_TRUE(m_vectorBoxes.empty());
}

TEST_F(BrevantApp, NamesCarryTheTableIndices) {
    // Through the invoke message the function code of each name arrives: the
    // dispatch traces name it and the table position it stands for.
    brevant::host::newDocument();
    ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
    setenv("BREVANT_LISPDISPATCH", "invoke", 1);
    setLevel(2);
    struct Case {
        const char* sCall;
        int iCode;
    } cases[] = {
        {"(TarvexBrevantVersion)", 2},
        {"(PellamBrevantVersion)", 3},
        {"(TarvexBrevantWriteDwgInfo)", 4},
        {"(PellamBrevantWriteDwgInfo)", 5},
        {"(TarvexBrevantGetAttributeValue \"DOCTITLE\")", 6},
        {"(PellamBrevantGetAttributeValue \"DOCTITLE\")", 7},
        {"(TarvexBrevantSetAttributeValue \"DOCTITLE\" \"x\")", 8},
        {"(PellamBrevantSetAttributeValue \"DOCTITLE\" \"x\")", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sCall);
        brevant::host::clearTranscript();
        brevant::host::evaluateLisp(c.sCall);
        const std::string sDispatch =
            "Brevant (high) : AcRx::kInvkSubrMsg.\n"
            "Brevant (high) : \tiFunctionCode = " +
            std::to_string(c.iCode) +
            "\nBrevant (high) : \tiPrefixes = 2\n"
            "Brevant (high) : \tiIDX = " +
            std::to_string(c.iCode / 2) + "\n";
        EXPECT_EQ(transcript().rfind(sDispatch, 0), 0u) << transcript();
    }
    // The extra name goes straight to its handler, which writes the drawing
    // information of the new drawing in its folder.
    brevant::host::clearTranscript();
    brevant::host::evaluateLisp("(PellamWriteDwgInfo)");
    EXPECT_EQ(
        transcript().rfind("Brevant (high) : AcRx::kInvkSubrMsg.\n"
                           "Brevant (high) : Read - DWGNAME value is : Drawing1.dwg (String).\n",
                           0),
        0u)
        << transcript();
    EXPECT_EQ(transcript().find("iFunctionCode"), std::string::npos);
    EXPECT_TRUE(brevant::test::fileExists(m_dir.file("docinfo/Drawing1-dwg.din")));
}

TEST_F(BrevantApp, InvokeMessageAndDirectCallReachTheSameHandler) {
    brevant::host::newDocument();
    ASSERT_TRUE(brevant::host::loadLinkedModule(kModule, acrxEntryPoint, false));
    for (const char* sDispatch : {"direct", "invoke"}) {
        SCOPED_TRACE(sDispatch);
        setenv("BREVANT_LISPDISPATCH", sDispatch, 1);
        setLevel(0);
        brevant::host::clearTranscript();
        EXPECT_TRUE(brevant::host::evaluateLisp("(TarvexBrevantDebug 1)"));
        EXPECT_TRUE(brevant::host::evaluateLisp("(PellamBrevantDebug 0)"));
        EXPECT_EQ(transcript(), "0\n1\n");
    }
    // Codes 0 and 1 are both the debug function; 10 the extra name.
    struct Case {
        int iCode;
        const char* sArguments;
        const char* sResult;
    } cases[] = {
        {0, "2", "0"},
        {1, "0", "2"},
        {10, "", "T"},
        {6, "\"DOCTITLE\"", "\"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iCode);
        brevant::host::LispCall call(c.sArguments, c.iCode);
        ASSERT_TRUE(call.valid());
        EXPECT_EQ(acrxEntryPoint(AcRx::kInvkSubrMsg, nullptr), AcRx::kRetOK);
        EXPECT_EQ(call.result(), c.sResult);
    }
}

TEST_F(BrevantApp, DebugLevelArguments) {
    startModule();
    // Each row starts at level 0 and calls the handler with the arguments as
    // typed; the result as printed, the level after, and what was shown.
    struct Case {
        const char* sArguments;
        const char* sResult;
        int iLevelAfter;
        const char* sShown;
    } cases[] = {
        {"2", "0", 2, ""},
        {"1", "0", 1, ""},
        {"0", "0", 0, ""},
        {"5", "nil", 0, ""},
        {"-1", "nil", 0, ""},
        {"\"x\"", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n"},
        {"\"a\\\"b\\\\c\"", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n"},
        {"70000", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n"},
        {"2.0", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n"},
        {"nil", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Invalid argument passed to DebugLevel\n"},
        {"1 2", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Too many arguments passed to DebugLevel\n"},
        {"", "nil", 0,
         "Brevant AutoCAD error : 0 (eOk) - Not enough arguments passed to DebugLevel\n"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(cases[i].sArguments);
        setLevel(0);
        brevant::host::clearTranscript();
        brevant::host::LispCall call(cases[i].sArguments);
        ASSERT_TRUE(call.valid());
        EXPECT_EQ(call.run(LispDebugLevel), RSRSLT);
        EXPECT_EQ(call.result(), cases[i].sResult);
        EXPECT_EQ(Pellam::Messages::getDebugLevel(), cases[i].iLevelAfter);
        EXPECT_EQ(transcript(), cases[i].sShown);
    }
}

TEST_F(BrevantApp, DebugErrorCarriesTheEditorsErrorNumber) {
    startModule();
    resbuf value;
    value.rbnext = NULL;
    value.restype = RTSHORT;
    value.resval.rint = 22;
    ASSERT_EQ(acedSetVar("ERRNO", &value), RTNORM);
    brevant::host::LispCall call("\"x\"");
    call.run(LispDebugLevel);
    EXPECT_EQ(transcript(),
              "Brevant AutoCAD error : 22 (eWasOpenForWrite) - Invalid argument passed to "
              "DebugLevel\n");
}

TEST_F(BrevantApp, VersionShowsItsBuildLineWhateverTheArguments) {
    startModule();
    const std::string sLine =
        std::string(__FILE__).substr(0, std::string(__FILE__).find("tests/app/")) +
        "app/BrevantApp.cpp : ";
    for (const char* sArguments : {"", "1", "\"x\" 2 nil", "\"a\\\"b\\\\c\""}) {
        SCOPED_TRACE(sArguments);
        brevant::host::clearTranscript();
        brevant::host::LispCall call(sArguments);
        EXPECT_EQ(call.run(LispVersion), RSRSLT);
        EXPECT_EQ(call.result(), "");
        const std::string sShown = transcript();
        ASSERT_EQ(sShown.rfind(sLine, 0), 0u) << sShown;
        // The build date and time in the compiler's form: "Mmm dd yyyy hh:mm:ss".
        const std::string sStamp = sShown.substr(sLine.size());
        EXPECT_EQ(sStamp.size(), 21u) << sStamp;
        EXPECT_EQ(sStamp[11], ' ');
        EXPECT_EQ(sStamp.substr(14, 1) + sStamp.substr(17, 1), "::");
        EXPECT_EQ(sStamp.back(), '\n');
    }
}

TEST_F(BrevantApp, HandlersOfLaterFunctionsAnswerNil) {
    startModule();
    for (int (*pHandler)() : {LispWriteDrawingInfo, LispGetAttributeValue, LispSetAttributeValue}) {
        for (const char* sArguments : {"", "\"DOCTITLE\"", "\"DOCTITLE\" \"x\"", "1 2 3"}) {
            SCOPED_TRACE(sArguments);
            brevant::host::LispCall call(sArguments);
            EXPECT_EQ(call.run(pHandler), RSRSLT);
            EXPECT_EQ(call.result(), "nil");
        }
    }
}
