// The editor and its reactors.
#pragma once

#include "rxobject.h"
#include "adslib.h"

class AcDbDatabase;

// Notifications of the editor. Every one has an empty default, so a reactor
// overrides only what it needs.
class AcEditorReactor : public AcRxObject {
public:
    // Commands.
    virtual void commandWillStart(const char* cmdStr);
    virtual void commandEnded(const char* cmdStr);
    virtual void commandCancelled(const char* cmdStr);
    virtual void commandFailed(const char* cmdStr);
    // LISP.
    virtual void lispWillStart(const char* firstLine);
    virtual void lispEnded();
    virtual void lispCancelled();
    // Drawings.
    virtual void beginDwgOpen(char* filename);
    virtual void endDwgOpen(const char* filename);
    virtual void dwgFileOpened(AcDbDatabase* pDwg, char* fileName);
    virtual void initialDwgFileOpenComplete(AcDbDatabase* pDwg);
    virtual void databaseConstructed(AcDbDatabase* pDwg);
    virtual void databaseToBeDestroyed(AcDbDatabase* pDwg);
    virtual void beginSave(AcDbDatabase* pDwg, const char* pIntendedName);
    virtual void saveComplete(AcDbDatabase* pDwg, const char* pActualName);
    virtual void abortSave(AcDbDatabase* pDwg);
    virtual void beginClose(AcDbDatabase* pDwg);
    virtual void beginQuit();
    virtual void quitAborted();
    virtual void quitWillStart();
    // System variables.
    virtual void sysVarChanged(const char* varName, bool success);
};

class AcEditor : public AcRxObject {
public:
    static AcEditor* cast(const AcRxObject* pObject);
    virtual void addReactor(AcEditorReactor* newObj) = 0;
    virtual void removeReactor(AcEditorReactor* delObj) = 0;
};

#define acedEditor AcEditor::cast(acrxSysRegistry()->at("AcEditor"))
