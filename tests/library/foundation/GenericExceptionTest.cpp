// The library's exceptions: their messages, GetErrorMessage's cutting and the
// chaining of a caught exception.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GenericException.h"

using Pellam::CARXVariableException;
using Pellam::CExceptionBase;
using Pellam::CGenericException;

namespace {

// An exception of the framework's kind whose message is a given text; it
// records the buffer sizes it was asked with and its deletion.
class CTextException : public CException {
public:
    CTextException(const CString& sText, bool* pbDeleted, std::vector<UINT>* pSizes)
        : CException(TRUE), m_sText(sText), m_pbDeleted(pbDeleted), m_pSizes(pSizes) {}
    ~CTextException() override { *m_pbDeleted = true; }
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT) override {
        m_pSizes->push_back(nMaxError);
        strncpy(lpszError, m_sText, nMaxError);
        lpszError[nMaxError - 1] = '\0';
        return TRUE;
    }

private:
    CString m_sText;
    bool* m_pbDeleted;
    std::vector<UINT>* m_pSizes;
};

CString messageOf(CException* pException, UINT nSize = 512) {
    std::vector<char> buffer(nSize, 'X');
    UINT nHelp = 99;
    EXPECT_TRUE(pException->GetErrorMessage(buffer.data(), nSize, &nHelp));
    EXPECT_EQ(nHelp, 0u);
    return CString(buffer.data());
}

}  // namespace

TEST(GenericException, MessagesOfEachKind) {
    struct Case {
        CExceptionBase* pException;
        const char* sExpected;
    } cases[] = {
        {new CARXVariableException("DWGNAME", CARXVariableException::OPERATION_READ),
         "Error : Unable to read AutoCAD variable (DWGNAME)."},
        {new CARXVariableException("USERS1", CARXVariableException::OPERATION_WRITE),
         "Error : Unable to write AutoCAD variable (USERS1)."},
        {new CARXVariableException("", CARXVariableException::OPERATION_READ),
         "Error : Unable to read AutoCAD variable."},
        {new CGenericException("Reading failed", "Reader"), "Reading failed (Reader)."},
        {new CGenericException("Reading failed", ""), "Reading failed."},
        {new CGenericException("", ""), "."},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(messageOf(cases[i].pException), cases[i].sExpected);
        cases[i].pException->Delete();
    }
}

TEST(GenericException, RunTimeClassRecords) {
    CExceptionBase* pException = new CGenericException("m", "c");
    EXPECT_TRUE(pException->IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_TRUE(pException->IsKindOf(RUNTIME_CLASS(CExceptionBase)));
    EXPECT_FALSE(pException->IsKindOf(RUNTIME_CLASS(CARXVariableException)));
    EXPECT_STREQ(pException->GetRuntimeClass()->m_lpszClassName, "CGenericException");
    EXPECT_STREQ(RUNTIME_CLASS(CExceptionBase)->m_lpszClassName, "CExceptionBase");
    EXPECT_STREQ(RUNTIME_CLASS(CARXVariableException)->m_lpszClassName, "CARXVariableException");
    pException->Delete();
}

TEST(GenericException, UnknownOperationGivesNoMessageAndLeavesTheBuffer) {
    CARXVariableException exception("X", 3);
    char sBuffer[8] = "intact";
    UINT nHelp = 99;
    EXPECT_FALSE(exception.GetErrorMessage(sBuffer, sizeof(sBuffer), &nHelp));
    EXPECT_STREQ(sBuffer, "intact");
    EXPECT_EQ(nHelp, 99u);
}

TEST(GenericException, GetErrorMessageCutsToTheBuffer) {
    CGenericException exception("Reading failed", "Reader");  // 24 characters
    struct Case {
        UINT nSize;
        const char* sExpected;
    } cases[] = {
        {10, "Reading f"}, {24, "Reading failed (Reader)"},   {25, "Reading failed (Reader)."},
        {1, ""},           {100, "Reading failed (Reader)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nSize);
        std::vector<char> buffer(c.nSize + 1, 'X');
        EXPECT_TRUE(exception.GetErrorMessage(buffer.data(), c.nSize, NULL));
        EXPECT_STREQ(buffer.data(), c.sExpected);
        EXPECT_EQ(buffer[c.nSize], 'X') << "wrote past the buffer";
    }
    // No room at all: nothing is written.
    char c = 'X';
    EXPECT_FALSE(exception.GetErrorMessage(&c, 0, NULL));
    EXPECT_EQ(c, 'X');
}

TEST(GenericException, ChainsACaughtExceptionGrowingTheBuffer) {
    // The buffer starts at 32 and grows by 4, 8, 16, ... while the message
    // fills it exactly; the caught exception is deleted and its pointer cleared.
    struct Case {
        int iLength;
        std::vector<UINT> vectorSizes;
    } cases[] = {
        {0, {32}}, {30, {32}}, {31, {32, 36}}, {40, {32, 36, 44}}, {100, {32, 36, 44, 60, 92, 156}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iLength);
        bool bDeleted = false;
        std::vector<UINT> vectorSizes;
        const CString sCaught('a', c.iLength);
        CException* pCaught = new CTextException(sCaught, &bDeleted, &vectorSizes);

        CGenericException chained("Writing failed", &pCaught);
        EXPECT_EQ(pCaught, nullptr);
        EXPECT_TRUE(bDeleted);
        EXPECT_EQ(vectorSizes, c.vectorSizes);
        EXPECT_STREQ(chained.getMessage(), CString("Writing failed :\n") + sCaught);
        EXPECT_STREQ(messageOf(&chained), CString("Writing failed :\n") + sCaught + ".");
    }
}

TEST(GenericException, ChainsACaughtExceptionWithoutAMessage) {
    // A framework exception without a message of its own: the new message
    // stands alone, and the caught exception is still disposed of.
    CException* pCaught = new CException(TRUE);
    CGenericException chained("Writing failed", &pCaught);
    EXPECT_EQ(pCaught, nullptr);
    EXPECT_STREQ(chained.getMessage(), "Writing failed");
}

TEST(GenericException, ChainingNothingKeepsTheMessage) {
    CException* pNone = NULL;
    CGenericException fromNull("Only this", &pNone);
    EXPECT_STREQ(fromNull.getMessage(), "Only this");
    CGenericException fromNullAddress("Only this", (CException**)NULL);
    EXPECT_STREQ(fromNullAddress.getMessage(), "Only this");
}
