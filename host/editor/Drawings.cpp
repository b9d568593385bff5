// Opening, creating, saving and closing drawings, and quitting, with the
// notifications and module messages in the editor's order.
#include "brevant/editor.h"
#include "brevant/files.h"
#include "brevant/platform.h"
#include "dbmain.h"
#include "editor/Documents.h"
#include "editor/Editor.h"
#include "editor/Output.h"
#include "editor/SystemVariables.h"
#include "hostdb.h"
#include "lisp/Lisp.h"
#include "loader/Linker.h"
#include "windows.h"

#include <cstdlib>
#include <cstring>

namespace brevant::host {

namespace {

int g_iNewDrawings = 0;
bool g_bQuit = false;

// The full Windows path of a name as typed, relative names against the
// current folder; empty when it is no valid path.
std::string fullName(const std::string& path) {
    char* pFull = _fullpath(nullptr, path.c_str(), _MAX_PATH);
    if (pFull == nullptr) {
        return "";
    }
    std::string full = pFull;
    free(pFull);
    return full;
}

// Why a drawing cannot be saved under a name, from the platform's error code:
// the file calls decide, the editor only words it.
std::string whyNotSaved(const std::string& target, DWORD error) {
    if (error == ERROR_PATH_NOT_FOUND) {
        std::string native;
        return brevant::platform::toNativePath(target, native) ? "the folder does not exist"
                                                               : "its drive is not mapped";
    }
    if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesA(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return "it is a folder";
        }
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            return "the file is read-only";
        }
    }
    return brevant::platform::errorText(error);
}

// Sends a drawing message to every loaded module, with the document current.
void sendToModules(Document* pDoc, AcRx::AppMsgCode msg) {
    DocManager& manager = docManager();
    Document* pBefore = manager.current();
    manager.makeCurrent(pDoc);
    for (Module* pModule : loadedModules()) {
        const int id = pModule->id;
        if (findModule(id) != nullptr && manager.find(pDoc) != nullptr) {
            sendMessage(id, msg, pDoc);
        }
    }
    if (pBefore != nullptr && manager.find(pBefore) != nullptr) {
        manager.makeCurrent(pBefore);
    }
}

// A document joins the editor: it becomes current, the reactors hear that its
// opening is complete, then every module gets the load-drawing message.
Document* addDocument(std::unique_ptr<Document> document) {
    DocManager& manager = docManager();
    Document* pDoc = manager.add(std::move(document));
    manager.makeCurrent(pDoc);
    AcDbDatabase* pDb = pDoc->database();
    notify([pDb](AcEditorReactor* pReactor) { pReactor->initialDwgFileOpenComplete(pDb); });
    if (manager.find(pDoc) != nullptr) {
        sendToModules(pDoc, AcRx::kLoadDwgMsg);
    }
    return manager.find(pDoc);
}

bool hasExtension(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// OPEN reads a drawing strictly; RECOVER mends what it can and lists it.
AcApDocument* openDrawing(const std::string& path, bool recover) {
    const std::string command = recover ? "RECOVER" : "OPEN";
    if (path.empty()) {
        say("Requires a file name: " + command + " <file>.");
        return nullptr;
    }
    const std::string name = fullName(path);
    if (name.empty()) {
        say("Cannot open " + path + ": the name is not a valid path.");
        return nullptr;
    }
    DocManager& manager = docManager();
    if (Document* pOpen = manager.findByName(name)) {
        if (recover) {
            say("Cannot recover " + name + ": it is open; close it first.");
            return nullptr;
        }
        manager.makeCurrent(pOpen);
        say(std::string(pOpen->fileName()) + " is already open.");
        return pOpen;
    }
    std::string native;
    if (!brevant::platform::toNativePath(name, native)) {
        say("Cannot open " + name + ": its drive is not mapped.");
        return nullptr;
    }
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        say("Cannot open " + name + ": " +
            (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                 ? std::string("the file does not exist")
                 : brevant::platform::errorText(error)) +
            ".");
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        say("Cannot open " + name + ": it is not a file.");
        return nullptr;
    }
    // A drawing that could not be saved back under its name opens read-only.
    bool readOnly = brevant::platform::checkFileReplaceable(name) != ERROR_SUCCESS;

    std::string typed = name;
    notify([&typed](AcEditorReactor* pReactor) {
        std::string copy = typed;
        pReactor->beginDwgOpen(&copy[0]);
    });
    auto* pDb = new AcDbDatabase(false);
    const Acad::ErrorStatus status =
        recover ? recoverDrawing(pDb, name.c_str()) : pDb->readDwgFile(name.c_str());
    if (status != Acad::eOk) {
        const char* reason = pDb->lastErrorText();
        std::string text = reason != nullptr && *reason != 0 ? reason : acadErrorStatusText(status);
        delete pDb;
        say("Cannot " + std::string(recover ? "recover " : "open ") + name + ": " + text);
        return nullptr;
    }
    // What loading mended is said once, before the reactors hear that the
    // drawing opened.
    const std::vector<std::string>& repairs = loadRepairs(pDb);
    if (recover) {
        std::string text = name + (repairs.empty() ? " needed no repair." : " was repaired:");
        for (const std::string& repair : repairs) {
            text += "\n  " + repair;
        }
        say(text);
    } else {
        for (const std::string& repair : repairs) {
            say(repair);
        }
    }
    // A drawing read from a DWG file is only viewed.
    readOnly = readOnly || whyNotSavable(pDb) != nullptr;
    notify([pDb, &typed](AcEditorReactor* pReactor) {
        std::string copy = typed;
        pReactor->dwgFileOpened(pDb, &copy[0]);
        pReactor->endDwgOpen(typed.c_str());
    });
    return addDocument(std::make_unique<Document>(pDb, name, true, readOnly));
}

}  // namespace

AcApDocument* openDocument(const std::string& path) {
    return openDrawing(path, false);
}

AcApDocument* recoverDocument(const std::string& path) {
    return openDrawing(path, true);
}

AcApDocument* newDocument() {
    const std::string name = "Drawing" + std::to_string(++g_iNewDrawings) + ".dwg";
    return addDocument(std::make_unique<Document>(new AcDbDatabase(true), name, false, false));
}

bool saveDocument(AcApDocument* pDocument, const std::string& path) {
    DocManager& manager = docManager();
    Document* pDoc = manager.find(pDocument);
    if (pDoc == nullptr) {
        say("No drawing is open.");
        return false;
    }
    std::string target;
    if (path.empty()) {
        if (!pDoc->isNamed()) {
            say(std::string(pDoc->docTitle()) + " has not been saved yet: use SAVEAS <file>.");
            return false;
        }
        target = pDoc->fileName();
    } else {
        target = fullName(path);
        if (target.empty()) {
            say("Cannot save to " + path + ": the name is not a valid path.");
            return false;
        }
        if (!hasExtension(target)) {
            target += ".dwg";
        }
        Document* pOther = manager.findByName(target);
        if (pOther != nullptr && pOther != pDoc) {
            say("Cannot save to " + target + ": that drawing is open.");
            return false;
        }
    }
    // A save that cannot start is refused before any reactor hears of it.
    if (const char* why = whyNotSavable(pDoc->database())) {
        say("Cannot save " + target + ": " + why + ".");
        return false;
    }
    const DWORD refusal = brevant::platform::checkFileReplaceable(target);
    if (refusal != ERROR_SUCCESS) {
        say("Cannot save " + target + ": " + whyNotSaved(target, refusal) + ".");
        return false;
    }

    DocumentCommandScope command(pDoc);
    AcDbDatabase* pDb = pDoc->database();
    notify([pDb, &target](AcEditorReactor* pReactor) { pReactor->beginSave(pDb, target.c_str()); });
    if (manager.find(pDoc) == nullptr) {
        return false;
    }
    const Acad::ErrorStatus status = pDb->saveAs(target.c_str());
    if (status != Acad::eOk) {
        const DWORD error = pDb->lastFileError();
        const char* reason = pDb->lastErrorText();
        const std::string text = error != ERROR_SUCCESS ? whyNotSaved(target, error)
                                 : reason != nullptr && *reason != 0
                                     ? std::string(reason)
                                     : std::string(acadErrorStatusText(status));
        notify([pDb](AcEditorReactor* pReactor) { pReactor->abortSave(pDb); });
        say("Cannot save " + target + ": " + text + ".");
        return false;
    }
    pDoc->rename(target);
    notify(
        [pDb, &target](AcEditorReactor* pReactor) { pReactor->saveComplete(pDb, target.c_str()); });
    return true;
}

bool closeDocument(AcApDocument* pDocument) {
    DocManager& manager = docManager();
    Document* pDoc = manager.find(pDocument);
    if (pDoc == nullptr) {
        say("No drawing is open.");
        return false;
    }
    AcDbDatabase* pDb = pDoc->database();
    Document* pBefore = manager.current();
    manager.makeCurrent(pDoc);
    notify([pDb](AcEditorReactor* pReactor) { pReactor->beginClose(pDb); });
    sendToModules(pDoc, AcRx::kUnloadDwgMsg);
    manager.makeCurrent(pDoc);
    notify([pDb](AcEditorReactor* pReactor) { pReactor->databaseToBeDestroyed(pDb); });
    lisp::forgetDocument(pDoc);
    std::unique_ptr<Document> closed = manager.take(pDoc);
    if (pBefore != nullptr && pBefore != pDoc && manager.find(pBefore) != nullptr) {
        manager.makeCurrent(pBefore);
    }
    return true;
}

void quit() {
    if (g_bQuit) {
        return;
    }
    notify([](AcEditorReactor* pReactor) {
        pReactor->beginQuit();
        pReactor->quitWillStart();
    });
    DocManager& manager = docManager();
    while (manager.documentCount() > 0) {
        Document* pDoc =
            manager.current() != nullptr ? manager.current() : manager.documents().back();
        closeDocument(pDoc);
    }
    unloadAllModules();
    g_bQuit = true;
}

bool hasQuit() {
    return g_bQuit;
}

void restartSession() {
    quit();
    g_bQuit = false;
    g_iNewDrawings = 0;
    resetVariables();
}

}  // namespace brevant::host
