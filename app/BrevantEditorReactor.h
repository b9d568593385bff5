// The editor reactor: follows every named drawing through opening, saving
// (under its own or a new name) and closing, keeping its history and lock
// files in step, and keeps the editor's project in line with the drawing's
// project settings file.
#pragma once

#include <afx.h>

#include <map>

#include "ARXDrawingInformation.h"
#include "DocumentLock.h"
#include "DrawingHistory.h"
#include "aced.h"

class AcDbDatabase;

class CBrevantEditorReactor : public AcEditorReactor {
public:
    // The editor's notifications. None lets an exception out.
    void initialDwgFileOpenComplete(AcDbDatabase* pDwg) override;
    void databaseToBeDestroyed(AcDbDatabase* pDwg) override;
    void beginSave(AcDbDatabase* pDwg, const char* pIntendedName) override;
    void saveComplete(AcDbDatabase* pDwg, const char* pActualName) override;
    // A save that failed after it began: the side files are put back as they
    // were before it began.
    void abortSave(AcDbDatabase* pDwg) override;

    // Start-up: registers the refresh message and adds the one reactor to the
    // editor. Unload: removes and deletes it, unregisters the message and
    // empties the maps without writing anything, so the lock files of
    // drawings still open stay on disk.
    static void attach();
    static void detach();
    static bool isAttached() { return m_pBrevantReactor != NULL; }

    // The open action: history started, lock file written, project
    // synchronised, for a drawing the editor has open under szDrawing.
    static void actionOpened(AcDbDatabase* pDatabase, LPCTSTR szDrawing);

    // The drawing's full path: its file name, else the name it was first read from.
    static CString getDrawingFileName(AcDbDatabase* pDatabase);
    // Traces when the database saved is not the current document's (a
    // reference being edited in place); processing goes on the same way.
    static void checkForRefedit(AcDbDatabase* pDatabase);

    // Project synchronisation: the project label and path of the settings
    // file that governs the drawing's folder become the drawing's project
    // name and that project's reference search path in the current profile.
    static void openProject(AcDbDatabase* pDatabase, LPCTSTR szDrawing);
    // The profile key of a project in the current profile; "" when the name
    // is empty or the editor's installation values cannot be read.
    static CString getProjectProfileKey(LPCTSTR szProjectName);
    // The project's "RefSearchPath" in the current profile; "" when missing.
    static CString getProjectSearchPath(LPCTSTR szProjectName);

    // Whether the reactor has handled the opening of the drawing (its history
    // is kept).
    static bool isTracked(AcDbDatabase* pDatabase);

private:
    static void actionPossibleSaveAs(AcDbDatabase* pDatabase, LPCTSTR szIntendedName);
    static void openHIS(AcDbDatabase* pDatabase, LPCTSTR szDrawing);
    static void openLOK(AcDbDatabase* pDatabase, LPCTSTR szDrawing);
    // Whether the editor opened the drawing under this name read-only (a
    // file it cannot write back, a DWG drawing).
    static bool isOpenedReadOnly(AcDbDatabase* pDatabase, LPCTSTR szDrawing);
    static void closeHIS(AcDbDatabase* pDatabase);
    static void closeLOK(AcDbDatabase* pDatabase);
    static void beginSaveDIN(AcDbDatabase* pDatabase, LPCTSTR szDrawing);
    static void saveCompleteDIN(AcDbDatabase* pDatabase, LPCTSTR szActualName);

    static CBrevantEditorReactor* m_pBrevantReactor;
    static std::map<AcDbDatabase*, CDrawingHistory> m_mapDocumentHistory;
    static std::map<AcDbDatabase*, CDocumentLock> m_mapDocumentLock;
    static std::map<AcDbDatabase*, CARXDrawingInformation> m_mapDrawingInformation;

    // What a save under a new name changed when it began, kept until it
    // completes so that a failed save can be undone: the drawing's name,
    // whether it had a history period and a lock, and its project name.
    struct CRenameInProgress {
        CString m_sPreviousName;
        CString m_sPreviousProject;
        bool m_bHadHistory = false;
        bool m_bHadLock = false;
    };
    static std::map<AcDbDatabase*, CRenameInProgress> m_mapRenameInProgress;
};
