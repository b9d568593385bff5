// The editor reactor: per-document history and lock files, and the project
// synchronisation with the editor's current profile.
#include "BrevantEditorReactor.h"

#include "ARXDrawingData.h"
#include "DocumentData.h"
#include "FileUtil.h"
#include "Locator.h"
#include "Messages.h"
#include "Registry.h"
#include "SettingsFile.h"
#include "acdocman.h"
#include "acutmem.h"
#include "dbmain.h"
#include "rxregsvc.h"

using Pellam::Messages::acadError;
using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

CBrevantEditorReactor* CBrevantEditorReactor::m_pBrevantReactor = NULL;
std::map<AcDbDatabase*, CDrawingHistory> CBrevantEditorReactor::m_mapDocumentHistory;
std::map<AcDbDatabase*, CDocumentLock> CBrevantEditorReactor::m_mapDocumentLock;
std::map<AcDbDatabase*, CARXDrawingInformation> CBrevantEditorReactor::m_mapDrawingInformation;
std::map<AcDbDatabase*, CBrevantEditorReactor::CRenameInProgress>
    CBrevantEditorReactor::m_mapRenameInProgress;

namespace {

const LPCTSTR kProjectSettingsFile = _T("ProjectSettings.txt");

// Runs a notification's work; whatever it throws ends there, so the editor's
// operation always goes on.
template <class Fn>
void guarded(Fn fn) {
    try {
        fn();
    } catch (CException* pException) {
        pException->Delete();
    } catch (...) {
    }
}

AcEditor* theEditor() {
    AcRxDictionary* pRegistry = acrxSysRegistry();
    return pRegistry != NULL ? AcEditor::cast(pRegistry->at("AcEditor")) : NULL;
}

AcApDocument* currentDocument() {
    AcApDocManager* pManager = acDocManagerPtr();
    return pManager != NULL ? pManager->curDocument() : NULL;
}

// The project's search path written into the current profile.
bool setProjectPath(const CString& sProjectName, const CString& sProjectPath) {
    const CString sKey = CBrevantEditorReactor::getProjectProfileKey(sProjectName);
    if (sKey.IsEmpty()) {
        return false;
    }
    return Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, sKey, _T("RefSearchPath"), sProjectPath);
}

}  // namespace

// ---- Attach and detach ----------------------------------------------------------

void CBrevantEditorReactor::attach() {
    trace(_T("CBrevantEditorReactor::attach()"));
    PELLAM_VERIFY(m_mapDocumentHistory.empty());
    PELLAM_VERIFY(m_mapDocumentLock.empty());
    PELLAM_VERIFY(m_mapDrawingInformation.empty());
    Pellam::registerRefreshMessage();
    // A second attach keeps the one reactor, so no notification comes twice.
    if (!PELLAM_VERIFY(m_pBrevantReactor == NULL)) {
        return;
    }
    m_pBrevantReactor = new CBrevantEditorReactor;
    AcEditor* pEditor = theEditor();
    if (PELLAM_VERIFY(pEditor != NULL)) {
        pEditor->addReactor(m_pBrevantReactor);
    }
}

void CBrevantEditorReactor::detach() {
    trace(_T("CBrevantEditorReactor::detach()"));
    if (PELLAM_VERIFY(m_pBrevantReactor != NULL)) {
        AcEditor* pEditor = theEditor();
        if (PELLAM_VERIFY(pEditor != NULL)) {
            pEditor->removeReactor(m_pBrevantReactor);
        }
        delete m_pBrevantReactor;
        m_pBrevantReactor = NULL;
    }
    Pellam::unregisterRefreshMessage();
    // Only the objects go: no history record is written and no lock deleted.
    m_mapDocumentHistory.clear();
    m_mapDocumentLock.clear();
    m_mapDrawingInformation.clear();
    m_mapRenameInProgress.clear();
}

// ---- Notifications ----------------------------------------------------------------

void CBrevantEditorReactor::initialDwgFileOpenComplete(AcDbDatabase* pDwg) {
    guarded([pDwg] {
        trace(_T("CBrevantEditorReactor::initialDwgFileOpenComplete(...)"));
        const CString sName = getDrawingFileName(pDwg);
        const bool bValid = Pellam::CARXDrawingData::isValidFileName(sName);
        // Only the current document's own drawing: a drawing read for an
        // external reference, or by another program, is not opened by the
        // user, even when it is the file the current document has open.
        AcApDocument* pDocument = currentDocument();
        if (pDocument != NULL && pDocument->fileName() != NULL &&
            sName.CompareNoCase(pDocument->fileName()) == 0 && bValid &&
            pDocument->database() == pDwg) {
            trace(_T("Requires action."));
            actionOpened(pDwg, sName);
        }
    });
}

void CBrevantEditorReactor::beginSave(AcDbDatabase* pDwg, const char* pIntendedName) {
    guarded([pDwg, pIntendedName] {
        const CString sIntendedName(pIntendedName != NULL ? pIntendedName : _T(""));
        traceFormat(_T("CBrevantEditorReactor::beginSave(\"%s\")"), (LPCTSTR)sIntendedName);
        const bool bValid = Pellam::CARXDrawingData::isValidFileName(sIntendedName);
        AcApDocManager* pManager = acDocManagerPtr();
        if (pManager != NULL && pManager->document(pDwg) != NULL && bValid) {
            actionPossibleSaveAs(pDwg, sIntendedName);
            traceFormat(_T("actionBeginSave(\"%s\")"), (LPCTSTR)sIntendedName);
            beginSaveDIN(pDwg, sIntendedName);
        }
    });
}

void CBrevantEditorReactor::saveComplete(AcDbDatabase* pDwg, const char* pActualName) {
    guarded([pDwg, pActualName] {
        const CString sActualName(pActualName != NULL ? pActualName : _T(""));
        traceFormat(_T("CBrevantEditorReactor::saveComplete(\"%s\")"), (LPCTSTR)sActualName);
        const bool bValid = Pellam::CARXDrawingData::isValidFileName(sActualName);
        AcApDocManager* pManager = acDocManagerPtr();
        if (pManager != NULL && pManager->document(pDwg) != NULL && bValid) {
            traceFormat(_T("actionSaveComplete(\"%s\")"), (LPCTSTR)sActualName);
            saveCompleteDIN(pDwg, sActualName);
            trace(_T("saveCompleteHIS(...)"));
            checkForRefedit(pDwg);
            auto it = m_mapDocumentHistory.find(pDwg);
            if (it != m_mapDocumentHistory.end()) {
                it->second.markSaved();
            }
        }
        // The save is done: a name it changed stays changed.
        m_mapRenameInProgress.erase(pDwg);
    });
}

void CBrevantEditorReactor::abortSave(AcDbDatabase* pDwg) {
    guarded([pDwg] {
        trace(_T("CBrevantEditorReactor::abortSave(...)"));
        // The drawing information built for the save describes no file.
        m_mapDrawingInformation.erase(pDwg);
        auto it = m_mapRenameInProgress.find(pDwg);
        if (it == m_mapRenameInProgress.end()) {
            return;
        }
        const CRenameInProgress rename = it->second;
        m_mapRenameInProgress.erase(it);
        traceFormat(_T("actionAbortSave(\"%s\")"), (LPCTSTR)rename.m_sPreviousName);
        // The target's period never began and its lock stands for a file that
        // was never written: the period goes without a record, the lock goes.
        m_mapDocumentHistory.erase(pDwg);
        closeLOK(pDwg);
        // The drawing goes on under its previous name: a period from now (the
        // record of the period before the attempt is already in its history
        // file), its lock, and its project.
        if (rename.m_bHadHistory) {
            openHIS(pDwg, rename.m_sPreviousName);
        }
        if (rename.m_bHadLock) {
            openLOK(pDwg, rename.m_sPreviousName);
        }
        if (pDwg != NULL && pDwg->setProjectName(rename.m_sPreviousProject) != Acad::eOk) {
            acadError(_T("Unable to set project (\"%s\")"), (LPCTSTR)rename.m_sPreviousProject);
        }
    });
}

void CBrevantEditorReactor::databaseToBeDestroyed(AcDbDatabase* pDwg) {
    guarded([pDwg] {
        trace(_T("CBrevantEditorReactor::databaseToBeDestroyed(...)"));
        trace(_T("actionClosed()"));
        closeHIS(pDwg);
        closeLOK(pDwg);
    });
}

// ---- Actions ------------------------------------------------------------------------

void CBrevantEditorReactor::actionOpened(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    traceFormat(_T("actionOpened(\"%s\")"), szDrawing);
    PELLAM_VERIFY(Pellam::CARXDrawingData::isValidFileName(szDrawing));
    openHIS(pDatabase, szDrawing);
    openLOK(pDatabase, szDrawing);
    openProject(pDatabase, szDrawing);
}

void CBrevantEditorReactor::actionPossibleSaveAs(AcDbDatabase* pDatabase, LPCTSTR szIntendedName) {
    traceFormat(_T("actionPossibleSaveAs(\"%s\")"), szIntendedName);
    PELLAM_VERIFY(Pellam::CARXDrawingData::isValidFileName(szIntendedName));
    if (getDrawingFileName(pDatabase).CompareNoCase(szIntendedName) == 0) {
        return;  // a plain save changes no tracking
    }
    // What the save changes is kept until it completes, so that a save that
    // fails can be undone.
    CRenameInProgress& rename = m_mapRenameInProgress[pDatabase];
    rename.m_sPreviousName = getDrawingFileName(pDatabase);
    rename.m_bHadHistory = m_mapDocumentHistory.count(pDatabase) != 0;
    rename.m_bHadLock = m_mapDocumentLock.count(pDatabase) != 0;
    char* pProject = NULL;
    if (pDatabase != NULL && pDatabase->getProjectName(pProject) == Acad::eOk) {
        rename.m_sPreviousProject = pProject != NULL ? pProject : _T("");
    }
    acutDelString(pProject);

    // The period so far is recorded under the old name, the new one starts
    // now; the old lock goes and the new one is written before the save.
    traceFormat(_T("renameHIS(\"%s\")"), szIntendedName);
    closeHIS(pDatabase);
    openHIS(pDatabase, szIntendedName);
    traceFormat(_T("renameLOK(\"%s\")"), szIntendedName);
    closeLOK(pDatabase);
    openLOK(pDatabase, szIntendedName);
    traceFormat(_T("renameProject(\"%s\")"), szIntendedName);
    openProject(pDatabase, szIntendedName);
}

void CBrevantEditorReactor::openHIS(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    traceFormat(_T("openHIS(\"%s\")"), szDrawing);
    m_mapDocumentHistory[pDatabase] = CDrawingHistory(szDrawing);
}

void CBrevantEditorReactor::openLOK(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    traceFormat(_T("openLOK(\"%s\")"), szDrawing);
    // Only viewed, so no lock and no message: a drawing opened read-only (a DWG
    // drawing), or an existing file that cannot be written (read-only medium).
    // A name being saved to need not exist yet, and a failure of its lock is
    // reported.
    if (isOpenedReadOnly(pDatabase, szDrawing) ||
        (PellamFile::Exists(szDrawing) && !PellamFile::IsWritable(szDrawing))) {
        m_mapDocumentLock.erase(pDatabase);
        return;
    }
    CDocumentLock& lock = m_mapDocumentLock[pDatabase];
    lock = CDocumentLock(szDrawing);
    try {
        lock.create();
    } catch (CException* pException) {
        pException->Delete();
        m_mapDocumentLock.erase(pDatabase);
        if (!PellamFile::Exists(szDrawing) || PellamFile::IsWritable(szDrawing)) {
            acadError(_T("Error creating lock for \"%s\"."), szDrawing);
        }
    }
}

void CBrevantEditorReactor::closeHIS(AcDbDatabase* pDatabase) {
    auto it = m_mapDocumentHistory.find(pDatabase);
    if (it == m_mapDocumentHistory.end()) {
        return;
    }
    trace(_T("closeHIS(...)"));
    const bool bEdited = !it->second.isViewOnly();
    try {
        it->second.close();
    } catch (CException* pException) {
        pException->Delete();
        // A lost "EDIT" record is worth telling; a lost "VIEW" record is not.
        if (bEdited) {
            acadError(_T("Error writing history."));
        }
    }
    m_mapDocumentHistory.erase(pDatabase);
}

void CBrevantEditorReactor::closeLOK(AcDbDatabase* pDatabase) {
    auto it = m_mapDocumentLock.find(pDatabase);
    if (it == m_mapDocumentLock.end()) {
        return;
    }
    trace(_T("closeLOK(...)"));
    try {
        it->second.release();
    } catch (CException* pException) {
        pException->Delete();
        acadError(_T("Error releasing lock."));
    }
    m_mapDocumentLock.erase(pDatabase);
}

// ---- Drawing information ------------------------------------------------------------

void CBrevantEditorReactor::beginSaveDIN(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    traceFormat(_T("beginSaveDIN(\"%s\")"), szDrawing);
    checkForRefedit(pDatabase);
    auto it = m_mapDrawingInformation.find(pDatabase);
    if (it != m_mapDrawingInformation.end()) {
        const CARXDrawingInformation* pDrawingInformation = &it->second;
        PELLAM_VERIFY(pDrawingInformation == NULL);
        return;
    }
    // Stored first, then built: copies start empty.
    CARXDrawingInformation& information = m_mapDrawingInformation[pDatabase];
    information = CARXDrawingInformation(pDatabase, szDrawing);
    information.build();
}

void CBrevantEditorReactor::saveCompleteDIN(AcDbDatabase* pDatabase, LPCTSTR szActualName) {
    traceFormat(_T("saveCompleteDIN(\"%s\")"), szActualName);
    checkForRefedit(pDatabase);
    bool bWritten = false;
    auto it = m_mapDrawingInformation.find(pDatabase);
    if (it != m_mapDrawingInformation.end()) {
        try {
            bWritten = it->second.WriteDinFile(szActualName);
        } catch (CException* pException) {
            pException->Delete();
            acadError(_T("Error writing DIN file for \"%s\"."), szActualName);
        }
        m_mapDrawingInformation.erase(pDatabase);
    } else {
        const CARXDrawingInformation* pDrawingInformation = NULL;
        PELLAM_VERIFY(pDrawingInformation != NULL);
    }
    trace(bWritten ? _T("Document information was written.")
                   : _T("Document information was not written."));
}

bool CBrevantEditorReactor::isTracked(AcDbDatabase* pDatabase) {
    return m_mapDocumentHistory.count(pDatabase) != 0;
}

// ---- Names and reference editing ----------------------------------------------------

CString CBrevantEditorReactor::getDrawingFileName(AcDbDatabase* pDatabase) {
    CString sReturn;
    const char* pName = NULL;
    if (pDatabase != NULL && pDatabase->getFilename(pName) == Acad::eOk && pName != NULL &&
        *pName != 0) {
        sReturn = pName;
    } else {
        trace(_T("Empty name, substituting original filename."));
        const char* pOriginal = pDatabase != NULL ? pDatabase->originalFileName() : NULL;
        sReturn = pOriginal != NULL ? pOriginal : _T("");
    }
    PELLAM_VERIFY(!sReturn.IsEmpty());
    return sReturn;
}

void CBrevantEditorReactor::checkForRefedit(AcDbDatabase* pDatabase) {
    trace(_T("checkForRefedit(...)"));
    AcApDocument* pDocument = currentDocument();
    AcDbDatabase* pCurrentDB = pDocument != NULL ? pDocument->database() : NULL;
    PELLAM_VERIFY(pDatabase != NULL);
    PELLAM_VERIFY(pCurrentDB != NULL);
    if (pDatabase != pCurrentDB) {
        trace(_T("checkForRefedit(...) - *** refedit in progress ***\n"));
    }
}

// ---- Project synchronisation --------------------------------------------------------

void CBrevantEditorReactor::openProject(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    traceFormat(_T("openProject(\"%s\")"), szDrawing);
    char* pCurrentProject = NULL;
    if (pDatabase == NULL || pDatabase->getProjectName(pCurrentProject) != Acad::eOk) {
        return;
    }
    const CString sCurrentProject(pCurrentProject != NULL ? pCurrentProject : _T(""));
    traceFormat(_T("Current project = \"%s\""), (LPCTSTR)sCurrentProject);

    const CString sFolder =
        Pellam::Locator::findFileUpwards(kProjectSettingsFile, PellamFile::Directory(szDrawing));
    const CSettingsFile settingsProject(sFolder + kProjectSettingsFile);
    if (settingsProject.isValid()) {
        trace(_T("Updating project path ..."));
        const CString sRequiredProjectName = settingsProject.getProjectLabel();
        const CString sRequiredProjectPath = settingsProject.getProjectPath();
        PELLAM_VERIFY(setProjectPath(sRequiredProjectName, sRequiredProjectPath));
        traceFormat(_T("Required project = \"%s\""), (LPCTSTR)sRequiredProjectName);
        if (sRequiredProjectName != sCurrentProject) {
            trace(_T("Modifing current project to match Project Settings ..."));
            if (pDatabase->setProjectName(sRequiredProjectName) != Acad::eOk) {
                acadError(_T("Unable to set project (\"%s\")"), (LPCTSTR)sRequiredProjectName);
            }
        }
    }
    acutDelString(pCurrentProject);
}

CString CBrevantEditorReactor::getProjectProfileKey(LPCTSTR szProjectName) {
    if (szProjectName == NULL || *szProjectName == 0) {
        return CString();
    }
    CString sKey(_T("SOFTWARE\\Autodesk\\AutoCAD"));
    CString sVersion;
    if (!Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, sKey, _T("CurVer"), sVersion)) {
        return CString();
    }
    sKey += _T("\\") + sVersion;
    CString sProduct;
    if (!Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, sKey, _T("CurVer"), sProduct)) {
        return CString();
    }
    CString sProfiles;
    sProfiles.Format(_T("Software\\Autodesk\\AutoCAD\\%s\\%s\\Profiles"), (LPCTSTR)sVersion,
                     (LPCTSTR)sProduct);
    CString sProfile;
    if (!Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sProfiles, NULL, sProfile)) {
        return CString();
    }
    CString sReturn;
    sReturn.Format(_T("%s\\%s\\Project Settings\\%s"), (LPCTSTR)sProfiles, (LPCTSTR)sProfile,
                   szProjectName);
    return sReturn;
}

CString CBrevantEditorReactor::getProjectSearchPath(LPCTSTR szProjectName) {
    const CString sKey = getProjectProfileKey(szProjectName);
    CString sPath;
    if (sKey.IsEmpty() ||
        !Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sKey, _T("RefSearchPath"), sPath)) {
        return CString();
    }
    return sPath;
}

bool CBrevantEditorReactor::isOpenedReadOnly(AcDbDatabase* pDatabase, LPCTSTR szDrawing) {
    AcApDocManager* pManager = acDocManagerPtr();
    const AcApDocument* pDocument = pManager != NULL ? pManager->document(pDatabase) : NULL;
    return pDocument != NULL && pDocument->isReadOnly() &&
           CString(pDocument->fileName()).CompareNoCase(szDrawing) == 0;
}
