#include "DrawingIndexer.h"

#include "ARXDrawingInformation.h"
#include "DocumentData.h"
#include "FileUtil.h"
#include "Locator.h"
#include "Maintenance.h"
#include "Messages.h"
#include "ToolSupport.h"

#include <brevant/editor.h>
#include <dbapserv.h>
#include <dbmain.h>

#include <memory>

namespace brevant::tools {

namespace {

// A previous drawing information file larger than this is not compared: it is
// replaced all the same and counts as changed.
const size_t kMaxCompared = 64u << 20;

// The host's messages of one drawing as one line.
std::string oneLine(std::string sText) {
    for (char& ch : sText) {
        if (ch == '\n' || ch == '\r' || ch == '\t') {
            ch = ' ';
        }
    }
    const size_t iFirst = sText.find_first_not_of(' ');
    const size_t iLast = sText.find_last_not_of(' ');
    return iFirst == std::string::npos ? std::string() : sText.substr(iFirst, iLast - iFirst + 1);
}

std::string exceptionText(CException* pException) {
    return (LPCTSTR)PellamFile::ExceptionMessage(pException);
}

// Drops the "# written at: ..." line, which differs on every write.
std::string withoutTimeLine(const std::string& sText) {
    static const std::string kTimeLine = "\r\n# written at: ";
    const size_t iAt = sText.find(kTimeLine);
    if (iAt == std::string::npos) {
        return sText;
    }
    const size_t iEnd = sText.find('\n', iAt + 2);
    return sText.substr(0, iAt) + (iEnd == std::string::npos ? "" : sText.substr(iEnd - 1));
}

// The working database is the drawing's for as long as the library works on
// it, as it is for the current drawing in the editor.
class WorkingDatabase {
public:
    explicit WorkingDatabase(AcDbDatabase* pDatabase)
        : m_pBefore(acdbHostApplicationServices()->workingDatabase()) {
        acdbHostApplicationServices()->setWorkingDatabase(pDatabase);
    }
    ~WorkingDatabase() { acdbHostApplicationServices()->setWorkingDatabase(m_pBefore); }
    WorkingDatabase(const WorkingDatabase&) = delete;
    WorkingDatabase& operator=(const WorkingDatabase&) = delete;

private:
    AcDbDatabase* m_pBefore;
};

IndexResult failure(const std::string& sReason) {
    IndexResult result;
    result.outcome = IndexOutcome::Failed;
    result.sReason = sReason;
    return result;
}

}  // namespace

void startHeadlessLibrary(const std::string& sModuleFile) {
    brevant::host::setConsoleOutput(false);
    if (!G_bLibraryInitialised) {
        Pellam::initialiseLibrary("Brevant", NULL);
    }
    Pellam::Locator::setModuleFile(sModuleFile.c_str());
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(0, iPrevious);
}

std::string dinFileOf(const std::string& sDrawing) {
    const CString sFolder = PellamFile::Directory(sDrawing.c_str()) + "docinfo\\";
    return (LPCTSTR)Pellam::CDrawingInformation::dinFileName(sFolder, sDrawing.c_str());
}

bool sameApartFromTimeLine(const std::string& sBefore, const std::string& sAfter) {
    return withoutTimeLine(sBefore) == withoutTimeLine(sAfter);
}

IndexResult indexDrawing(const std::string& sDrawing) {
    const DWORD dwAttributes = ::GetFileAttributesA(sDrawing.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        return failure("the file does not exist");
    }
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return failure("it is a folder, not a drawing");
    }

    const std::string sDinFile = dinFileOf(sDrawing);
    std::string sBefore;
    std::string sIgnored;
    const bool bHadBefore = readWholeFile(sDinFile, kMaxCompared, sBefore, sIgnored);

    brevant::host::clearTranscript();
    auto pDatabase = std::make_unique<AcDbDatabase>(false, true);
    const Acad::ErrorStatus status = pDatabase->readDwgFile(sDrawing.c_str());
    if (status != Acad::eOk) {
        const char* szReason = pDatabase->lastErrorText();
        return failure("not a drawing that can be read: " +
                       std::string(szReason != nullptr && *szReason != 0
                                       ? szReason
                                       : acadErrorStatusText(status)));
    }

    bool bWritten = false;
    std::string sError;
    {
        WorkingDatabase working(pDatabase.get());
        CARXDrawingInformation information(pDatabase.get(), sDrawing.c_str());
        information.build();
        try {
            bWritten = information.WriteDinFile(sDrawing.c_str());
        } catch (CException* pException) {
            sError = exceptionText(pException);
            pException->Delete();
        }
    }
    const std::string sPrinted = oneLine(brevant::host::transcript());
    brevant::host::clearTranscript();
    pDatabase.reset();

    if (!sError.empty()) {
        return failure(sError);
    }
    if (!bWritten) {
        return failure(sPrinted.empty() ? "the docinfo folder cannot be made" : sPrinted);
    }
    IndexResult result;
    result.outcome = IndexOutcome::Written;
    std::string sAfter;
    if (bHadBefore && readWholeFile(sDinFile, kMaxCompared, sAfter, sIgnored) &&
        sameApartFromTimeLine(sBefore, sAfter)) {
        result.outcome = IndexOutcome::Unchanged;
    }
    return result;
}

}  // namespace brevant::tools
