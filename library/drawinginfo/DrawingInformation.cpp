// The drawing information file: its framing, general section, revision
// marks, tables and preview, written whole under a temporary name and put in
// place in one step.
#include "DrawingInformation.h"

#include "DocumentData.h"
#include "FileUtil.h"
#include "Identity.h"
#include "Messages.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

CDinFileWriter::~CDinFileWriter() {}

namespace {

bool holdsBlank(const CString& sText) {
    return sText.FindOneOf(_T(" \t")) >= 0;
}

// The tag that every description line's tag begins with.
const LPCTSTR kDescriptionTag = _T("REVMARK_DESC");

}  // namespace

namespace Pellam {

CDrawingInformation::CDrawingInformation() : m_pDwgData(NULL), m_bValid(false) {
    trace(_T("Pellam::CDrawingInformation::CDrawingInformation()\n"));
}

CDrawingInformation::CDrawingInformation(CDrawingData* pDwgData)
    : m_pDwgData(pDwgData), m_bValid(pDwgData != NULL) {
    trace(_T("Pellam::CDrawingInformation::CDrawingInformation(...)\n"));
    PELLAM_VERIFY(m_bValid);
}

CDrawingInformation::~CDrawingInformation() {
    trace(_T("Pellam::CDrawingInformation::~CDrawingInformation()\n"));
    traceFormat(_T("\tobject is %svalid\n"), m_bValid ? _T("") : _T("not "));
    if (m_bValid) {
        PELLAM_VERIFY(m_pDwgData != NULL);
    }
    delete m_pDwgData;
    m_pDwgData = NULL;
}

void CDrawingInformation::build() {
    // Without a drawing data record there is nothing to fill: the record's
    // own steps and the collections that need its title block are skipped.
    if (!PELLAM_VERIFY(m_bValid) || m_pDwgData == NULL) {
        return;
    }
    m_pDwgData->fill();
    buildGREVBlocks();
    buildBlocks();
    buildLayers();
    buildRegisteredApplications();
}

CString CDrawingInformation::getGREVBlockName() {
    if (m_pDwgData == NULL) {
        return CString();
    }
    CTitleBlock* pTitle = m_pDwgData->getTitleBlock();
    if (pTitle == NULL || !pTitle->isInstance()) {
        return CString();
    }
    for (const CString& sKey : pTitle->getMapKeys()) {
        if (sKey.Find(_T("BDR_PLOTID")) >= 0) {
            // A title block mapped with a plot identity names no revision
            // block of its own: none are collected.
            return CString();
        }
    }
    return CString(_T("grevn"));
}

CString CDrawingInformation::dinFileName(LPCTSTR sDocInfoFolder, LPCTSTR sPath) {
    const CString sExtension = PellamFile::Extension(sPath);
    const CString sTitle = PellamFile::BaseName(sPath, _T(".") + sExtension);
    return CString(sDocInfoFolder) + sTitle + _T("-") + sExtension + _T(".din");
}

CString CDrawingInformation::quoteIfBlank(const CString& sName) {
    return holdsBlank(sName) ? _T("\"") + sName + _T("\"") : sName;
}

CString CDrawingInformation::drawingFolderForm(LPCTSTR sPath) {
    const CString sFolder = PellamFile::Directory(sPath);
    const TCHAR chDrive = PellamFile::DriveLetter(sPath);
    if (chDrive == 0) {
        return sFolder;
    }
    const CString sRemoteName = Pellam::Util::getDriveConnection(chDrive);
    if (!sRemoteName.IsEmpty()) {
        return sRemoteName + sFolder.Mid(2);
    }
    return _T("\\\\LOCAL:") + sFolder;
}

bool CDrawingInformation::WriteDinFile(LPCTSTR sPath) {
    traceFormat(_T("CDrawingInformation::WriteDinFile(\"%s\")\n"), sPath);
    if (!PELLAM_VERIFY(m_bValid) || m_pDwgData == NULL) {
        return false;
    }
    const CString sFolder = getDocInfoDirectory(sPath);
    if (sFolder.IsEmpty()) {
        return false;
    }
    const CString sFileName = dinFileName(sFolder, sPath);

    // The file is written whole under a name of this process's own and put in
    // place in one step, so a reader never sees half a file and a failure
    // leaves the previous file as it was.
    CString sTemporary;
    sTemporary.Format(_T("%s.%lu.tmp"), (LPCTSTR)sFileName, (unsigned long)::GetCurrentProcessId());
    CStdioFile file;
    CFileException* pError = new CFileException;
    if (!file.Open(sTemporary, CFile::modeCreate | CFile::modeWrite | CFile::typeText, pError)) {
        ::DeleteFileA(sTemporary);
        pError->m_strFileName = sFileName;
        throw pError;
    }
    pError->Delete();
    try {
        writeContent(file, sPath);
        if (!dumpDrawingPreview(sPath, file)) {
            trace(_T("\nDrawing preview not found."));
        }
        file.Flush();
        file.Close();
    } catch (CException*) {
        file.Abort();
        ::DeleteFileA(sTemporary);
        throw;
    }
    if (!::MoveFileExA(sTemporary, sFileName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const LONG lError = (LONG)::GetLastError();
        ::DeleteFileA(sTemporary);
        CFileException::ThrowOsError(lError != 0 ? lError : (LONG)ERROR_GEN_FAILURE, sFileName);
    }
    refreshDocumentManager();
    return true;
}

void CDrawingInformation::writeContent(CStdioFile& file, LPCTSTR sPath) {
    const CString sExtension = PellamFile::Extension(sPath);
    const CString sTitle = PellamFile::BaseName(sPath, _T(".") + sExtension);

    // The pieces are gathered and written in a few large writes.
    CString sText;
    sText += _T("# This file was automatically generated by Brevant ARX Module");
    sText += CTime::GetCurrentTime().Format(_T("\n# written at: %#c"));
    sText += _T("\n# sActualName = ");
    sText += sPath;
    sText += _T("\n\nDATA_FORMAT 1.0");
    sText += _T("\nGENERATOR BREVANT_ARX");
    sText += _T("\n\nSTART GENERAL");
    sText += _T("\n\n# Basic info about drawing");
    sText += _T("\nBASENAME ") + sTitle + _T(".") + sExtension;
    sText += _T("\nDWGDIR ") + drawingFolderForm(sPath);
    file.WriteString(sText);
    sText.Empty();

    m_pDwgData->write(file);
    CTitleBlock* pTitle = m_pDwgData->getTitleBlock();
    if (pTitle != NULL && pTitle->isProject() && !pTitle->getProjectLabel().IsEmpty()) {
        sText += _T("\nPROJECTNAME ") + pTitle->getProjectLabel();
    }
    sText += _T("\n\nEND GENERAL");

    dumpGREVBlocks(sText);

    trace(_T("CDrawingInformation::dumpAutoCADTables(...)\n"));
    trace(_T("CDrawingInformation::dumpXREFBlocks(...)\n"));
    sText += _T("\n\n# xrefs follow, listing xref name + filename ...");
    dumpXREFBlocks(sText, m_vectorXREF, _T("XREF"));
    dumpXREFBlocks(sText, m_vectorXREF_UNREFERENCED, _T("XREF_UNREFERENCED"));

    trace(_T("CDrawingInformation::dumpStandardBlocks(...)\n"));
    sText += _T("\n\n# block table follows... (excludes anonymous blocks and xrefs)");
    appendNames(sText, _T("\nBLOCK "), m_vectorBlocks);

    trace(_T("CDrawingInformation::dumpLayers(...)\n"));
    sText += _T("\n\n# layer table follows...");
    appendNames(sText, _T("\nLAYER "), m_vectorLayers);

    trace(_T("CDrawingInformation::dumpRegisteredApplications(...)\n"));
    sText += _T("\n\n# registered applications table follows...");
    appendNames(sText, _T("\nAPPID "), m_vectorApplications);
    file.WriteString(sText);
}

void CDrawingInformation::appendNames(CString& sText, LPCTSTR sKeyword,
                                      const std::vector<CString>& vectorNames) {
    for (const CString& sName : vectorNames) {
        sText += sKeyword;
        if (holdsBlank(sName)) {
            sText += _T('"');
            sText += sName;
            sText += _T('"');
        } else {
            sText += sName;
        }
    }
}

void CDrawingInformation::dumpXREFBlocks(CString& sText,
                                         const std::vector<XrefRecord>& vectorRecords,
                                         LPCTSTR sKeyword) {
    for (const XrefRecord& record : vectorRecords) {
        const bool bValid = (record.size() == 2);
        if (!PELLAM_VERIFY(bValid)) {
            continue;
        }
        const bool bQuoted = holdsBlank(record[0]) || holdsBlank(record[1]);
        const LPCTSTR sQuote = bQuoted ? _T("\"") : _T("");
        sText += _T("\n");
        sText += sKeyword;
        sText += _T(" ");
        sText += sQuote;
        sText += record[0];
        sText += sQuote;
        sText += _T(" ");
        sText += sQuote;
        sText += record[1];
        sText += sQuote;
    }
}

void CDrawingInformation::dumpGREVBlocks(CString& sText) {
    trace(_T("CDrawingInformation::dumpGREVBlocks(...)\n"));
    if (m_vectorGREV.empty()) {
        return;
    }
    // The written form of each tag; the date's day, month and year carry no
    // line break of their own.
    const struct {
        LPCTSTR sTag;
        LPCTSTR sBefore;
        LPCTSTR sAfter;
    } forms[] = {
        {_T("REVMARK_REV"), _T("\n\t\t<REV>  "), _T(" </REV>")},
        {_T("REVMARK_DATE"), _T("\n\t\t<DATE> "), _T(" </DATE>")},
        {_T("REVMARK_DAY"), _T("\n\t\t<DATE> "), _T("/")},
        {_T("REVMARK_MONTH"), _T(""), _T("/")},
        {_T("REVMARK_YEAR"), _T(""), _T(" </DATE>")},
        {_T("REVMARK_BY"), _T("\n\t\t<BY>   "), _T(" </BY>")},
        {_T("REVMARK_CHECKED"), _T("\n\t\t<CHKD> "), _T(" </CHKD>")},
        {_T("REVMARK_APPROVED"), _T("\n\t\t<APPD> "), _T(" </APPD>")},
        {_T("REVMARK_INDEX"), _T("\n\t\t<INDEX> "), _T(" </INDEX>")},
    };
    sText += _T("\n\nSTART GREV");
    for (const RevisionMarks& mapMarks : m_vectorGREV) {
        sText += _T("\n\n\t<GREV>");
        bool bDescriptionOpen = true;
        for (const auto& mark : mapMarks) {
            const CString& sTag = mark.first;
            const CString& sMarkText = mark.second;
            if (sTag == _T("REVMARK_DESC1")) {
                sText += _T("\n\t\t<DESC>");
            }
            for (const auto& form : forms) {
                if (sTag == form.sTag) {
                    sText += form.sBefore;
                    sText += sMarkText;
                    sText += form.sAfter;
                    break;
                }
            }
            if (_tcsncmp(sTag, kDescriptionTag, 12) == 0) {
                if (!sMarkText.IsEmpty()) {
                    sText += _T("\n\t\t\t");
                    sText += sMarkText;
                } else if (bDescriptionOpen) {
                    sText += _T("\n\t\t</DESC>");
                    bDescriptionOpen = false;
                }
            }
        }
        sText += _T("\n\t</GREV>");
    }
    sText += _T("\n\nEND GREV");
}

}  // namespace Pellam
