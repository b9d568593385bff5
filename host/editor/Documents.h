// Inside the host: the documents open in the editor, the document manager,
// and whether code runs in a document's command or in the application context.
#pragma once

#include "acdocman.h"

#include <memory>
#include <string>
#include <vector>

namespace brevant::host {

class Document : public AcApDocument {
public:
    // The document owns its database. A drawing that was never saved has its
    // default name ("Drawing1.dwg") and is not named.
    Document(AcDbDatabase* pDatabase, const std::string& fileName, bool named, bool readOnly);
    ~Document() override;

    const char* className() const override;
    const char* fileName() const override;
    AcDbDatabase* database() const override;
    const char* docTitle() const override;
    bool isReadOnly() const override;
    AcAp::DocLockMode lockMode(bool bIncludeMyLocks = false) const override;
    AcAp::DocLockMode myLockMode() const override;

    bool isNamed() const { return m_bNamed; }
    // After a save under a new name: the document takes that name and can be written.
    void rename(const std::string& fileName);

    // Locks taken by the editor for a command, and by code through the manager.
    std::vector<AcAp::DocLockMode> m_editorLocks;
    std::vector<AcAp::DocLockMode> m_myLocks;

private:
    AcDbDatabase* m_pDatabase;
    std::string m_sFileName;
    std::string m_sTitle;
    bool m_bNamed;
    bool m_bReadOnly;
};

class DocManager : public AcApDocManager {
public:
    const char* className() const override;
    AcApDocument* curDocument() const override;
    AcApDocument* mdiActiveDocument() const override;
    AcApDocument* document(const AcDbDatabase* pDb) const override;
    Acad::ErrorStatus lockDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode,
                                   const char* pGlobalCmdName, const char* pLocalCmdName,
                                   bool prompt) override;
    Acad::ErrorStatus unlockDocument(AcApDocument* pDoc) override;
    Acad::ErrorStatus setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode,
                                     bool activate) override;
    bool isApplicationContext() const override;
    int documentCount() const override;
    AcApDocumentIterator* newAcApDocumentIterator() override;

    // Host side.
    Document* current() const { return m_pCurrent; }
    Document* find(const AcApDocument* pDoc) const;
    // The open document with this file name (letter case ignored), or NULL.
    Document* findByName(const std::string& fileName) const;
    std::vector<Document*> documents() const;  // in the order they were opened
    Document* add(std::unique_ptr<Document> document);
    // Takes the document out of the list; the current document becomes the
    // latest opened of the others.
    std::unique_ptr<Document> take(Document* pDoc);
    void makeCurrent(Document* pDoc);

private:
    std::vector<std::unique_ptr<Document>> m_documents;
    Document* m_pCurrent = nullptr;
};

DocManager& docManager();

// Code runs in the application context while this lives: notifications and
// module messages other than a LISP call.
class ApplicationContextScope {
public:
    ApplicationContextScope();
    ~ApplicationContextScope();
    ApplicationContextScope(const ApplicationContextScope&) = delete;
    ApplicationContextScope& operator=(const ApplicationContextScope&) = delete;
};

// A command of a document: the document context, with the document locked for
// writing by the editor while this lives (no lock without a document).
class DocumentCommandScope {
public:
    explicit DocumentCommandScope(Document* pDoc);
    ~DocumentCommandScope();
    DocumentCommandScope(const DocumentCommandScope&) = delete;
    DocumentCommandScope& operator=(const DocumentCommandScope&) = delete;

private:
    Document* m_pDoc;
};

// Runs fn once for every open document, each made current for its call, and
// makes the document that was current before current again afterwards.
template <class Fn>
void forEachDocumentAsCurrent(Fn fn) {
    DocManager& manager = docManager();
    Document* pBefore = manager.current();
    for (Document* pDoc : manager.documents()) {
        if (manager.find(pDoc) == nullptr) {
            continue;  // closed meanwhile
        }
        manager.makeCurrent(pDoc);
        fn(pDoc);
    }
    if (pBefore != nullptr && manager.find(pBefore) != nullptr) {
        manager.makeCurrent(pBefore);
    }
}

}  // namespace brevant::host
