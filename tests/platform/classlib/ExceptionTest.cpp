#include <gtest/gtest.h>

#include "../files/PlatformFixture.h"
#include "afx.h"

class CTestException : public CException {
    DECLARE_DYNAMIC(CTestException)
public:
    static int s_nDestroyed;
    explicit CTestException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    ~CTestException() override { ++s_nDestroyed; }
};
IMPLEMENT_DYNAMIC(CTestException, CException)
int CTestException::s_nDestroyed = 0;

TEST(RuntimeClass, DerivationAndKind) {
    CFileException fileError;
    EXPECT_TRUE(fileError.IsKindOf(RUNTIME_CLASS(CFileException)));
    EXPECT_TRUE(fileError.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_TRUE(fileError.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(fileError.IsKindOf(RUNTIME_CLASS(CTestException)));
    EXPECT_STREQ(fileError.GetRuntimeClass()->m_lpszClassName, "CFileException");
    EXPECT_TRUE(RUNTIME_CLASS(CStdioFile)->IsDerivedFrom(RUNTIME_CLASS(CFile)));
    EXPECT_FALSE(RUNTIME_CLASS(CFile)->IsDerivedFrom(RUNTIME_CLASS(CStdioFile)));
    EXPECT_FALSE(RUNTIME_CLASS(CFile)->IsDerivedFrom(NULL));
}

TEST(CExceptionTest, DeleteDisposesOnlyOfHeapObjects) {
    CTestException::s_nDestroyed = 0;
    CTestException* heap = new CTestException;
    heap->Delete();
    EXPECT_EQ(CTestException::s_nDestroyed, 1);
    {
        CTestException onStack;
        onStack.Delete();  // nothing happens to an object on the stack
        EXPECT_EQ(CTestException::s_nDestroyed, 1);
    }
    EXPECT_EQ(CTestException::s_nDestroyed, 2);
    CTestException* kept = new CTestException(FALSE);
    kept->Delete();  // not auto-delete: the owner deletes it
    EXPECT_EQ(CTestException::s_nDestroyed, 2);
    delete kept;
    try {
        throw new CTestException;
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CTestException)));
        char text[16] = "unchanged";
        EXPECT_FALSE(e->GetErrorMessage(text, sizeof text));
        EXPECT_STREQ(text, "");
        e->Delete();
    }
    EXPECT_EQ(CTestException::s_nDestroyed, 4);
}

TEST(CFileExceptionTest, CausesFromWindowsErrorsAndMessages) {
    const struct {
        LONG error;
        int cause;
    } causes[] = {
        {ERROR_SUCCESS, CFileException::none},
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_INVALID_HANDLE, CFileException::invalidFile},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
        {9999, CFileException::genericException},
    };
    for (size_t i = 0; i < sizeof causes / sizeof causes[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CFileException::OsErrorToException(causes[i].error), causes[i].cause);
    }

    const struct {
        int cause;
        const char* file;
        const char* text;
    } texts[] = {
        {CFileException::fileNotFound, "P:\\a.his", "P:\\a.his was not found."},
        {CFileException::accessDenied, "P:\\a.his", "Access to P:\\a.his was denied."},
        {CFileException::diskFull, "P:\\a.his", "Disk full while accessing P:\\a.his."},
        {CFileException::sharingViolation, NULL,
         "A sharing violation occurred while accessing an unnamed file."},
        {99, "x", "An unknown error occurred while accessing x."},
    };
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
        SCOPED_TRACE(i);
        CFileException e(texts[i].cause, -1, texts[i].file);
        char buffer[128];
        EXPECT_TRUE(e.GetErrorMessage(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, texts[i].text);
    }
    CFileException e(CFileException::fileNotFound, 2, "P:\\a.his");
    char small[8];
    EXPECT_TRUE(e.GetErrorMessage(small, sizeof small));  // cut, never overflowing
    EXPECT_STREQ(small, "P:\\a.hi");
    EXPECT_FALSE(e.GetErrorMessage(NULL, 10));
}

TEST(CFileExceptionTest, ThrowOsErrorThrowsAHeapPointer) {
    try {
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, "P:\\x.lok");
        FAIL() << "nothing thrown";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::accessDenied);
        EXPECT_EQ(e->m_lOsError, (LONG)ERROR_ACCESS_DENIED);
        EXPECT_EQ(e->m_strFileName, "P:\\x.lok");
        e->Delete();
    }
    CFileException::ThrowOsError(0);  // no error: nothing thrown
    try {
        AfxThrowFileException(CFileException::diskFull, 112, "f");
    } catch (CException* e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
        e->Delete();
    }
}

TEST(CExceptionTest, ReportErrorShowsTheMessageInABox) {
    std::vector<brevant::platform::MessageBoxCall> boxes;
    brevant::platform::captureMessageBoxes(&boxes);
    CFileException e(CFileException::fileNotFound, 2, "P:\\a.din");
    EXPECT_EQ(e.ReportError(), IDOK);
    CTestException plain;
    plain.ReportError(MB_OK | MB_ICONERROR);
    brevant::platform::captureMessageBoxes(nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "P:\\a.din was not found.");
    EXPECT_EQ(boxes[1].text, "No error message is available.");
    EXPECT_EQ(boxes[1].type, (unsigned)(MB_OK | MB_ICONERROR));
}
