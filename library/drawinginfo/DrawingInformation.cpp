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
    if (!::MoveFileExA(sTemporary, sFileName, MOVEFILE_REPLACE_EXISTING)) {
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

    file.WriteString(_T("# This file was automatically generated by Brevant ARX Module"));
    file.WriteString(CTime::GetCurrentTime().Format(_T("\n# written at: %#c")));
    file.WriteString(_T("\n# sActualName = ") + CString(sPath));
    file.WriteString(_T("\n\nDATA_FORMAT 1.0"));
    file.WriteString(_T("\nGENERATOR BREVANT_ARX"));
    file.WriteString(_T("\n\nSTART GENERAL"));
    file.WriteString(_T("\n\n# Basic info about drawing"));
    file.WriteString(_T("\nBASENAME ") + sTitle + _T(".") + sExtension);
    file.WriteString(_T("\nDWGDIR ") + drawingFolderForm(sPath));
    m_pDwgData->write(file);
    CTitleBlock* pTitle = m_pDwgData->getTitleBlock();
    if (pTitle != NULL && pTitle->isProject() && !pTitle->getProjectLabel().IsEmpty()) {
        file.WriteString(_T("\nPROJECTNAME ") + pTitle->getProjectLabel());
    }
    file.WriteString(_T("\n\nEND GENERAL"));

    dumpGREVBlocks(file);

    trace(_T("CDrawingInformation::dumpAutoCADTables(...)\n"));
    trace(_T("CDrawingInformation::dumpXREFBlocks(...)\n"));
    file.WriteString(_T("\n\n# xrefs follow, listing xref name + filename ..."));
    dumpXREFBlocks(file, m_vectorXREF, _T("XREF"));
    dumpXREFBlocks(file, m_vectorXREF_UNREFERENCED, _T("XREF_UNREFERENCED"));

    trace(_T("CDrawingInformation::dumpStandardBlocks(...)\n"));
    file.WriteString(_T("\n\n# block table follows... (excludes anonymous blocks and xrefs)"));
    for (const CString& sName : m_vectorBlocks) {
        file.WriteString(_T("\nBLOCK ") + quoteIfBlank(sName));
    }

    trace(_T("CDrawingInformation::dumpLayers(...)\n"));
    file.WriteString(_T("\n\n# layer table follows..."));
    for (const CString& sName : m_vectorLayers) {
        file.WriteString(_T("\nLAYER ") + quoteIfBlank(sName));
    }

    trace(_T("CDrawingInformation::dumpRegisteredApplications(...)\n"));
    file.WriteString(_T("\n\n# registered applications table follows..."));
    for (const CString& sName : m_vectorApplications) {
        file.WriteString(_T("\nAPPID ") + quoteIfBlank(sName));
    }
}

void CDrawingInformation::dumpXREFBlocks(CStdioFile& file,
                                         const std::vector<XrefRecord>& vectorRecords,
                                         LPCTSTR sKeyword) {
    for (const XrefRecord& record : vectorRecords) {
        const bool bValid = (record.size() == 2);
        if (!PELLAM_VERIFY(bValid)) {
            continue;
        }
        CString sName = record[0];
        CString sPath = record[1];
        if (holdsBlank(sName) || holdsBlank(sPath)) {
            sName = _T("\"") + sName + _T("\"");
            sPath = _T("\"") + sPath + _T("\"");
        }
        file.WriteString(_T("\n") + CString(sKeyword) + _T(" ") + sName + _T(" ") + sPath);
    }
}

void CDrawingInformation::dumpGREVBlocks(CStdioFile& file) {
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
    file.WriteString(_T("\n\nSTART GREV"));
    for (const RevisionMarks& mapMarks : m_vectorGREV) {
        file.WriteString(_T("\n\n\t<GREV>"));
        bool bDescriptionOpen = true;
        for (const auto& mark : mapMarks) {
            const CString& sTag = mark.first;
            const CString& sText = mark.second;
            if (sTag == _T("REVMARK_DESC1")) {
                file.WriteString(_T("\n\t\t<DESC>"));
            }
            for (const auto& form : forms) {
                if (sTag == form.sTag) {
                    file.WriteString(CString(form.sBefore) + sText + form.sAfter);
                    break;
                }
            }
            if (sTag.Left(12) == kDescriptionTag) {
                if (!sText.IsEmpty()) {
                    file.WriteString(_T("\n\t\t\t") + sText);
                } else if (bDescriptionOpen) {
                    file.WriteString(_T("\n\t\t</DESC>"));
                    bDescriptionOpen = false;
                }
            }
        }
        file.WriteString(_T("\n\t</GREV>"));
    }
    file.WriteString(_T("\n\nEND GREV"));
}

}  // namespace Pellam
