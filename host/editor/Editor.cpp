// The editor object and the empty defaults of its notifications.
#include "editor/Editor.h"

#include "core/SysRegistry.h"
#include "hostdb.h"

void AcEditorReactor::commandWillStart(const char*) {}
void AcEditorReactor::commandEnded(const char*) {}
void AcEditorReactor::commandCancelled(const char*) {}
void AcEditorReactor::commandFailed(const char*) {}
void AcEditorReactor::lispWillStart(const char*) {}
void AcEditorReactor::lispEnded() {}
void AcEditorReactor::lispCancelled() {}
void AcEditorReactor::beginDwgOpen(char*) {}
void AcEditorReactor::endDwgOpen(const char*) {}
void AcEditorReactor::dwgFileOpened(AcDbDatabase*, char*) {}
void AcEditorReactor::initialDwgFileOpenComplete(AcDbDatabase*) {}
void AcEditorReactor::databaseConstructed(AcDbDatabase*) {}
void AcEditorReactor::databaseToBeDestroyed(AcDbDatabase*) {}
void AcEditorReactor::beginSave(AcDbDatabase*, const char*) {}
void AcEditorReactor::saveComplete(AcDbDatabase*, const char*) {}
void AcEditorReactor::abortSave(AcDbDatabase*) {}
void AcEditorReactor::beginClose(AcDbDatabase*) {}
void AcEditorReactor::beginQuit() {}
void AcEditorReactor::quitAborted() {}
void AcEditorReactor::quitWillStart() {}
void AcEditorReactor::sysVarChanged(const char*, bool) {}

AcEditor* AcEditor::cast(const AcRxObject* pObject) {
    return dynamic_cast<AcEditor*>(const_cast<AcRxObject*>(pObject));
}

namespace brevant::host {

const char* Editor::className() const {
    return "AcEditor";
}

void Editor::addReactor(AcEditorReactor* newObj) {
    if (newObj != nullptr && !has(newObj)) {
        m_reactors.push_back(newObj);
    }
}

void Editor::removeReactor(AcEditorReactor* delObj) {
    m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), delObj), m_reactors.end());
}

bool Editor::has(const AcEditorReactor* pReactor) const {
    return std::find(m_reactors.begin(), m_reactors.end(), pReactor) != m_reactors.end();
}

namespace {

// A drawing read for an external reference belongs to no document; the
// reactors hear of it as of any drawing read, and of its end.
void sideDatabaseEvent(AcDbDatabase* pSideDb, const char*, SideDatabaseEvent event) {
    if (event == SideDatabaseEvent::Read) {
        notify([pSideDb](AcEditorReactor* pReactor) {
            pReactor->initialDwgFileOpenComplete(pSideDb);
        });
    } else {
        notify([pSideDb](AcEditorReactor* pReactor) { pReactor->databaseToBeDestroyed(pSideDb); });
    }
}

}  // namespace

// The one editor object, which the system registry holds as "AcEditor". From
// its making on, the drawing database reports side databases to it.
Editor& editor() {
    static Editor* s_pEditor = [] {
        setSideDatabaseHook(&sideDatabaseEvent);
        return new Editor;
    }();
    return *s_pEditor;
}

AcRxObject* newEditor() {
    return &editor();
}

}  // namespace brevant::host
