#include "SettingsFile.h"

#include "FileUtil.h"
#include "Messages.h"

#include <cstdio>
#include <vector>

namespace {

const LPCTSTR kIssueDirectoryDefault = "<PROJECTSETTINGS>\\outgoing\\<DATE:%Y-%m-%d>";
const LPCTSTR kWhiteSpace = " \t\r\n";

// The current selection of each list kind: [0] title blocks, [1] mock borders.
CString G_asCurrentBorderName[2];
CTitleBlockDefinition G_aCurrentRecord[2];

enum SettingsState {
    STATE_TOP,
    STATE_SKIPPED,
    STATE_PROJECT_PATH,
    STATE_PROJECT_LABEL,
    STATE_JOB_NUMBER,
    STATE_JOB_TITLE,
    STATE_CLIENT_TITLE,
    STATE_DRAWING_STATUS,
    STATE_ISSUE_DIRECTORY,
    STATE_ISSUE,
    STATE_RECORD,
};

struct SectionName {
    LPCTSTR sKey;
    SettingsState iState;
};

const SectionName kSections[] = {
    {"PROJECTPATH", STATE_PROJECT_PATH},       {"PROJECTLABEL", STATE_PROJECT_LABEL},
    {"JOBNUMBER", STATE_JOB_NUMBER},           {"JOBTITLE", STATE_JOB_TITLE},
    {"CLIENTTITLE", STATE_CLIENT_TITLE},       {"DWGSTATUS", STATE_DRAWING_STATUS},
    {"ISSUEDIRECTORY", STATE_ISSUE_DIRECTORY}, {"ISSUE", STATE_ISSUE},
};

// A BORDER value: two double-quoted texts separated by white space. The
// buffers are as long as the value, so no quoted text can overrun them.
bool parseBorder(const CString& sValue, CString& sFirst, CString& sSecond) {
    std::vector<char> vectorFirst(sValue.GetLength() + 1, 0);
    std::vector<char> vectorSecond(sValue.GetLength() + 1, 0);
    if (sscanf(sValue, " \"%[^\"]\" \"%[^\"]\"", vectorFirst.data(), vectorSecond.data()) != 2) {
        return false;
    }
    sFirst = vectorFirst.data();
    sSecond = vectorSecond.data();
    const int iDot = sSecond.Find('.');
    if (iDot >= 0) {
        sSecond = sSecond.Left(iDot);
    }
    return true;
}

// One line of a TITLEBLOCKS or MOCKBORDERS section.
void readRecordLine(CTitleBlockDefinition& record, const CString& sKey, const CString& sValue) {
    if (sKey == "CATEGORY") {
        record.m_sCategory = sValue;
    } else if (sKey == "DEFAULTLAYER") {
        record.m_sDefaultLayer = sValue;
    } else if (sKey == "DEFAULTSPACE") {
        record.m_bModelSpace = (sValue.CompareNoCase("MODEL") == 0);
    } else if (sKey == "INSERTABLE") {
        record.m_bInsertable = (sValue.CompareNoCase("YES") == 0);
    } else if (sKey == "BORDER") {
        // A line without two quoted texts is ignored.
        CString sFirst;
        CString sSecond;
        if (parseBorder(sValue, sFirst, sSecond)) {
            record.m_vectorBorders.emplace_back(sFirst, sSecond);
        }
    } else {
        record.m_mapAttributes[sKey] = sValue;
    }
}

}  // namespace

CSettingsFile::CSettingsFile(LPCTSTR sPath) : m_sPath(sPath), m_bValid(false) {
    m_bValid = PellamFile::Exists(m_sPath);
    if (m_bValid) {
        read();
    }
}

CString CSettingsFile::getJobTitle(int iIndex) const {
    if (iIndex < 0 || iIndex >= static_cast<int>(m_vectorJobTitle.size())) {
        return CString();
    }
    return m_vectorJobTitle[iIndex];
}

int CSettingsFile::getRecordCount(bool bMockBorders) const {
    return static_cast<int>(records(bMockBorders).size());
}

const CTitleBlockDefinition* CSettingsFile::getRecord(int iRecord, bool bMockBorders) const {
    const std::vector<CTitleBlockDefinition>& vectorRecords = records(bMockBorders);
    if (iRecord < 0 || iRecord >= static_cast<int>(vectorRecords.size())) {
        return NULL;
    }
    return &vectorRecords[iRecord];
}

int CSettingsFile::getBorderCount(int iRecord, bool bMockBorders) const {
    const CTitleBlockDefinition* pRecord = getRecord(iRecord, bMockBorders);
    return pRecord == NULL ? 0 : static_cast<int>(pRecord->m_vectorBorders.size());
}

std::pair<CString, CString> CSettingsFile::getBorder(int iRecord, int iBorder,
                                                     bool bMockBorders) const {
    const CTitleBlockDefinition* pRecord = getRecord(iRecord, bMockBorders);
    if (pRecord == NULL || iBorder < 0 ||
        iBorder >= static_cast<int>(pRecord->m_vectorBorders.size())) {
        return std::pair<CString, CString>();
    }
    return pRecord->m_vectorBorders[iBorder];
}

void CSettingsFile::resetCurrent(bool bMockBorders) {
    G_asCurrentBorderName[bMockBorders ? 1 : 0].Empty();
    G_aCurrentRecord[bMockBorders ? 1 : 0] = CTitleBlockDefinition();
}

void CSettingsFile::setCurrentBorderName(const CString& sBorderName, bool bMockBorders) {
    G_asCurrentBorderName[bMockBorders ? 1 : 0] = sBorderName;
}

CString CSettingsFile::getCurrentBorderName(bool bMockBorders) {
    return G_asCurrentBorderName[bMockBorders ? 1 : 0];
}

bool CSettingsFile::copyToCurrent(int iRecord, bool bMockBorders) const {
    const CTitleBlockDefinition* pRecord = getRecord(iRecord, bMockBorders);
    if (pRecord == NULL) {
        return false;
    }
    G_aCurrentRecord[bMockBorders ? 1 : 0] = *pRecord;
    return true;
}

const CTitleBlockDefinition& CSettingsFile::getCurrentRecord(bool bMockBorders) {
    return G_aCurrentRecord[bMockBorders ? 1 : 0];
}

// An entry of the project path: "." is the settings file's own folder, a path
// with a drive or starting at a root is taken as written, anything else is
// relative to the settings file's folder.
CString CSettingsFile::resolveProjectPathEntry(const CString& sEntry) const {
    const CString sFolder = PellamFile::Directory(m_sPath);
    if (sEntry == ".") {
        return sFolder;
    }
    if ((sEntry.GetLength() > 1 && sEntry[1] == ':') || sEntry[0] == '\\' || sEntry[0] == '/') {
        return sEntry;
    }
    return sFolder + sEntry;
}

// Where the reading stands between two lines.
struct CSettingsFile::ReadState {
    SettingsState iState = STATE_TOP;
    // Created once per file: category, layer and flags carry over from one
    // record section to the next.
    CTitleBlockDefinition recordWorking;
    bool bMockBorders = false;
    // Carries over from one ISSUE section to the next.
    CString sLastIssueKey;
};

// The values of a file without any section.
void CSettingsFile::clearValues() {
    m_sProjectLabel.Empty();
    m_sProjectPath.Empty();
    m_sIssueDirectory = kIssueDirectoryDefault;
    m_sJobNumber.Empty();
    m_vectorJobTitle.clear();
    m_vectorClientTitle.clear();
    m_vectorDrawingStatus.clear();
    m_mapIssue.clear();
    m_vectorTitleBlocks.clear();
    m_vectorMockBorders.clear();
}

void CSettingsFile::read() {
    clearValues();
    // A file that fails to open or fails half-way gives nothing of its
    // contents: what was taken from it so far is dropped again.
    CStdioFile fileSettings;
    try {
        CFileException* pError = new CFileException();
        const BOOL bOpened = fileSettings.Open(
            m_sPath, CFile::modeRead | CFile::shareDenyNone | CFile::typeText, pError);
        pError->Delete();
        if (!bOpened) {
            return;
        }
        if (fileSettings.GetLength() > kMaximumFileSize) {
            fileSettings.Abort();
            CString sMessage;
            sMessage.Format("Settings file \"%s\" is larger than %u bytes and is not read.",
                            (LPCTSTR)m_sPath, (unsigned int)kMaximumFileSize);
            Pellam::Messages::message(sMessage);
            return;
        }
        ReadState state;
        CString sLine;
        while (fileSettings.ReadString(sLine)) {
            readLine(state, sLine);
        }
        fileSettings.Close();
    } catch (CException* pException) {
        pException->Delete();
        fileSettings.Abort();
        clearValues();
    }
}

// One line of the file, in the state the previous lines left.
void CSettingsFile::readLine(ReadState& state, const CString& sRawLine) {
    CString sLine = sRawLine;
    sLine.Trim(kWhiteSpace);
    // Blank lines and comments; a comment stands on a line of its own.
    if (sLine.IsEmpty() || sLine[0] == '#' || sLine.Left(2) == "//") {
        return;
    }

    // The key is the first word, in upper case; the value the rest.
    CString sKey = sLine;
    CString sValue;
    const int iBlank = sLine.FindOneOf(" \t");
    if (iBlank >= 0) {
        sKey = sLine.Left(iBlank);
        sValue = sLine.Mid(iBlank);
        sValue.Trim(kWhiteSpace);
    }
    sKey.MakeUpper();

    if (state.iState == STATE_TOP) {
        if (sKey == "TITLEBLOCKS" || sKey == "MOCKBORDERS") {
            state.recordWorking.m_vectorBorders.clear();
            state.recordWorking.m_mapAttributes.clear();
            state.bMockBorders = (sKey == "MOCKBORDERS");
            state.iState = STATE_RECORD;
            return;
        }
        // Any other header, "{" and "}" included, opens a section whose
        // lines are skipped up to its "}".
        state.iState = STATE_SKIPPED;
        for (const SectionName& section : kSections) {
            if (sKey == section.sKey) {
                state.iState = section.iState;
                break;
            }
        }
        return;
    }
    if (state.iState == STATE_SKIPPED) {
        if (sKey == "}") {
            state.iState = STATE_TOP;
        }
        return;
    }
    if (sKey == "{") {
        return;
    }
    if (sKey == "}") {
        if (state.iState == STATE_RECORD) {
            (state.bMockBorders ? m_vectorMockBorders : m_vectorTitleBlocks)
                .push_back(state.recordWorking);
        }
        state.iState = STATE_TOP;
        return;
    }

    switch (state.iState) {
        case STATE_PROJECT_LABEL:
            m_sProjectLabel = sLine;
            break;
        case STATE_JOB_NUMBER:
            m_sJobNumber = sLine;
            break;
        case STATE_ISSUE_DIRECTORY:
            m_sIssueDirectory = sLine;
            break;
        case STATE_JOB_TITLE:
            m_vectorJobTitle.push_back(sLine);
            break;
        case STATE_CLIENT_TITLE:
            m_vectorClientTitle.push_back(sLine);
            break;
        case STATE_DRAWING_STATUS:
            m_vectorDrawingStatus.push_back(sLine);
            break;
        case STATE_PROJECT_PATH:
            m_sProjectPath += ";" + resolveProjectPathEntry(sLine);
            break;
        case STATE_ISSUE:
            // "&" continues the last entry directly, "+" on a new line.
            if (sKey == "&") {
                m_mapIssue[state.sLastIssueKey] += sValue;
            } else if (sKey == "+") {
                m_mapIssue[state.sLastIssueKey] += "\r\n" + sValue;
            } else {
                PELLAM_VERIFY(!sKey.IsEmpty());
                m_mapIssue[sKey] = sValue;
                state.sLastIssueKey = sKey;
            }
            break;
        case STATE_RECORD:
            readRecordLine(state.recordWorking, sKey, sValue);
            break;
        default:
            break;
    }
}
