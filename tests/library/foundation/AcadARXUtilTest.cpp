// LISP function tables defined, undefined and dispatched under every prefix;
// the named service; the editor's release and current document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ARXServiceUtilities.h"
#include "AcadARXUtil.h"
#include "CommandLineRecorder.h"
#include "Maintenance.h"
#include "Messages.h"
#include "acdocman.h"
#include "adscodes.h"
#include "brevant/editor.h"
#include "brevant/platform.h"
#include "rxregsvc.h"

using brevant::test::commandLineCalls;
using brevant::test::commandLineText;

namespace {

std::vector<std::string> G_vectorCalled;
int handlerA() {
    G_vectorCalled.push_back("A");
    return RSRSLT;
}
int handlerB() {
    G_vectorCalled.push_back("B");
    return RSRSLT;
}

class AcadARXUtil : public ::testing::Test {
protected:
    void SetUp() override {
        if (!G_bLibraryInitialised) {
            Pellam::initialiseLibrary("Brevant", NULL);
        }
        brevant::host::setConsoleOutput(false);
        brevant::platform::captureMessageBoxes(&m_vectorBoxes);
        G_vectorCalled.clear();
        commandLineCalls().clear();
    }
    void TearDown() override {
        setLevel(0);
        brevant::platform::captureMessageBoxes(nullptr);
    }
    static void setLevel(int iLevel) {
        int iPrevious = 0;
        Pellam::Messages::setDebugLevel(iLevel, iPrevious);
    }
    // The failed checks reported, by their condition text.
    std::vector<std::string> failedChecks() const {
        std::vector<std::string> vectorChecks;
        for (const auto& box : m_vectorBoxes) {
            const size_t iEnd = box.text.find(">\nFile : <");
            vectorChecks.push_back(box.text.substr(13, iEnd - 13));
        }
        return vectorChecks;
    }

    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

const LispPrefixList G_arrayPrefixes = {"TarvexBrevant", "PellamBrevant"};

}  // namespace

TEST_F(AcadARXUtil, DefinesEveryEntryUnderEveryPrefix) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    const LispFunctionTable arrayFunctions = {CLispFunction("Debug", handlerA),
                                              CLispFunction("Version", handlerB)};
    setLevel(2);
    CAutoCADUtil::defineFunctions(arrayFunctions, G_arrayPrefixes);
    EXPECT_EQ(brevant::host::lispNames(pDoc),
              (std::vector<std::string>{"PELLAMBREVANTDEBUG", "PELLAMBREVANTVERSION",
                                        "TARVEXBREVANTDEBUG", "TARVEXBREVANTVERSION"}));
    EXPECT_EQ(commandLineText(),
              "Brevant (high) : \tfunction : i = 0, name = \"Debug\"\n"
              "Brevant (high) : \tfunction : j = 0, fullname = \"TarvexBrevantDebug\"\n"
              "Brevant (high) : \tiIDX = 0\n"
              "Brevant (high) : \tfunction : j = 1, fullname = \"PellamBrevantDebug\"\n"
              "Brevant (high) : \tiIDX = 1\n"
              "Brevant (high) : \tfunction : i = 1, name = \"Version\"\n"
              "Brevant (high) : \tfunction : j = 0, fullname = \"TarvexBrevantVersion\"\n"
              "Brevant (high) : \tiIDX = 2\n"
              "Brevant (high) : \tfunction : j = 1, fullname = \"PellamBrevantVersion\"\n"
              "Brevant (high) : \tiIDX = 3\n");
    EXPECT_TRUE(m_vectorBoxes.empty());

    // Each name calls its entry's handler, whichever prefix it carries.
    for (const char* sCall : {"(TarvexBrevantVersion)", "(PellamBrevantDebug)"}) {
        EXPECT_TRUE(brevant::host::evaluateLisp(sCall));
    }
    EXPECT_EQ(G_vectorCalled, (std::vector<std::string>{"B", "A"}));

    commandLineCalls().clear();
    CAutoCADUtil::undefineFunctions(arrayFunctions, G_arrayPrefixes);
    EXPECT_TRUE(brevant::host::lispNames(pDoc).empty());
    EXPECT_EQ(commandLineText().find("i = "), std::string::npos);
    EXPECT_NE(commandLineText().find("\tfunction : j = 1, fullname = \"PellamBrevantVersion\"\n"
                                     "Brevant (high) : \tiIDX = 3\n"),
              std::string::npos);
    // Undefining again: every name is a failed check, and all are tried.
    CAutoCADUtil::undefineFunctions(arrayFunctions, G_arrayPrefixes);
    EXPECT_EQ(failedChecks(),
              std::vector<std::string>(4, "acedUndef(sFullFunctionName, iIDX) == 5100"));
    brevant::host::closeDocument(pDoc);
}

TEST_F(AcadARXUtil, EmptyNamesAndMissingHandlersAreFailedChecks) {
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    const LispFunctionTable arrayFunctions = {CLispFunction("", handlerA),
                                              CLispFunction("Nothing", NULL)};
    setLevel(2);
    CAutoCADUtil::defineFunctions(arrayFunctions, G_arrayPrefixes);
    // The empty base name leaves the bare prefixes as names; the entry without
    // a handler is defined all the same.
    EXPECT_EQ(brevant::host::lispNames(pDoc),
              (std::vector<std::string>{"PELLAMBREVANT", "PELLAMBREVANTNOTHING", "TARVEXBREVANT",
                                        "TARVEXBREVANTNOTHING"}));
    EXPECT_EQ(failedChecks(), (std::vector<std::string>{"!m_sName.IsEmpty()", "m_pFunction != NULL",
                                                        "m_pFunction != NULL"}));
    brevant::host::closeDocument(pDoc);
}

TEST_F(AcadARXUtil, InvokeFindsTheEntryOfAnyPrefix) {
    const LispFunctionTable arrayFunctions = {CLispFunction("Debug", handlerA),
                                              CLispFunction("Version", handlerB),
                                              CLispFunction("Nothing", NULL)};
    struct Case {
        int iFunctionCode;
        std::vector<std::string> vectorCalled;
    } cases[] = {
        {0, {"A"}},
        {1, {"A"}},
        {2, {"B"}},
        {3, {"B"}},
        // No handler, or outside the table: nothing is called.
        {4, {}},
        {6, {}},
        {100, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iFunctionCode);
        G_vectorCalled.clear();
        CAutoCADUtil::invokeFunction(arrayFunctions, G_arrayPrefixes, c.iFunctionCode);
        EXPECT_EQ(G_vectorCalled, c.vectorCalled);
    }
    setLevel(2);
    commandLineCalls().clear();
    CAutoCADUtil::invokeFunction(arrayFunctions, G_arrayPrefixes, 3);
    EXPECT_EQ(commandLineText(),
              "Brevant (high) : \tiFunctionCode = 3\n"
              "Brevant (high) : \tiPrefixes = 2\n"
              "Brevant (high) : \tiIDX = 1\n");
    // No prefixes at all: nothing to divide by, nothing called.
    G_vectorCalled.clear();
    CAutoCADUtil::invokeFunction(arrayFunctions, LispPrefixList(), 0);
    EXPECT_TRUE(G_vectorCalled.empty());
}

TEST_F(AcadARXUtil, ReleaseAndCurrentDocument) {
    EXPECT_STREQ(CAutoCADUtil::getReleaseNumber(), "15");
    AcApDocument* pDoc = brevant::host::newDocument();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_STREQ(CAutoCADUtil::getCurrentDocumentName(), pDoc->fileName());
    brevant::host::closeDocument(pDoc);
    if (acDocManagerPtr()->curDocument() == NULL) {
        EXPECT_STREQ(CAutoCADUtil::getCurrentDocumentName(), "");
    }
}

TEST_F(AcadARXUtil, ServiceRegisteredAndRemoved) {
    setLevel(2);
    CARXService service("Brevant_services");
    EXPECT_FALSE(acrxServiceIsRegistered("Brevant_services"));
    service.registerService();
    EXPECT_TRUE(acrxServiceIsRegistered("Brevant_services"));
    EXPECT_TRUE(service.isRegistered());
    service.unregisterService();
    EXPECT_FALSE(acrxServiceIsRegistered("Brevant_services"));
    EXPECT_FALSE(service.isRegistered());
    EXPECT_TRUE(m_vectorBoxes.empty());

    // Removing twice, and registering a name another object holds: failed
    // checks, and the host is asked all the same.
    service.unregisterService();
    EXPECT_EQ(failedChecks(), (std::vector<std::string>{"m_pService != NULL",
                                                        "acrxServiceIsRegistered(szServiceName)"}));
    m_vectorBoxes.clear();
    CARXService other("Brevant_services");
    other.registerService();
    service.registerService();
    EXPECT_EQ(failedChecks(),
              (std::vector<std::string>{"!acrxServiceIsRegistered(szServiceName)"}));
    EXPECT_TRUE(acrxServiceIsRegistered("Brevant_services"));
    other.unregisterService();
    EXPECT_FALSE(acrxServiceIsRegistered("Brevant_services"));

    m_vectorBoxes.clear();
    CARXService unnamed("");
    unnamed.registerService();
    EXPECT_EQ(failedChecks(), (std::vector<std::string>{"!m_sServiceName.IsEmpty()"}));
}
