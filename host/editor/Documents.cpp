#include "editor/Documents.h"

#include "dbmain.h"
#include "dbapserv.h"

#include <strings.h>

namespace brevant::host {

namespace {

bool isLockMode(AcAp::DocLockMode mode) {
    switch (mode) {
        case AcAp::kAutoWrite:
        case AcAp::kWrite:
        case AcAp::kProtectedAutoWrite:
        case AcAp::kRead:
        case AcAp::kXWrite:
            return true;
        default:
            return false;
    }
}

std::string titleOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("\\/");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// Whether code runs in the application context (true) or a document's command
// (false), innermost last. Empty: the application context.
std::vector<bool>& contexts() {
    static std::vector<bool> s_contexts;
    return s_contexts;
}

class DocumentIterator : public AcApDocumentIterator {
public:
    explicit DocumentIterator(std::vector<Document*> documents)
        : m_documents(std::move(documents)) {}
    bool done() const override { return m_index >= m_documents.size(); }
    void step() override {
        if (!done()) {
            ++m_index;
        }
    }
    AcApDocument* document() override { return done() ? nullptr : m_documents[m_index]; }

private:
    std::vector<Document*> m_documents;
    size_t m_index = 0;
};

}  // namespace

Document::Document(AcDbDatabase* pDatabase, const std::string& fileName, bool named, bool readOnly)
    : m_pDatabase(pDatabase),
      m_sFileName(fileName),
      m_sTitle(titleOf(fileName)),
      m_bNamed(named),
      m_bReadOnly(readOnly) {}

Document::~Document() {
    delete m_pDatabase;
}

const char* Document::className() const {
    return "AcApDocument";
}

const char* Document::fileName() const {
    return m_sFileName.c_str();
}

AcDbDatabase* Document::database() const {
    return m_pDatabase;
}

const char* Document::docTitle() const {
    return m_sTitle.c_str();
}

bool Document::isReadOnly() const {
    return m_bReadOnly;
}

AcAp::DocLockMode Document::lockMode(bool bIncludeMyLocks) const {
    if (bIncludeMyLocks && !m_myLocks.empty()) {
        return m_myLocks.back();
    }
    return m_editorLocks.empty() ? AcAp::kNotLocked : m_editorLocks.back();
}

AcAp::DocLockMode Document::myLockMode() const {
    return m_myLocks.empty() ? AcAp::kNone : m_myLocks.back();
}

void Document::rename(const std::string& fileName) {
    m_sFileName = fileName;
    m_sTitle = titleOf(fileName);
    m_bNamed = true;
    m_bReadOnly = false;
}

const char* DocManager::className() const {
    return "AcApDocManager";
}

AcApDocument* DocManager::curDocument() const {
    return m_pCurrent;
}

AcApDocument* DocManager::mdiActiveDocument() const {
    return m_pCurrent;
}

AcApDocument* DocManager::document(const AcDbDatabase* pDb) const {
    if (pDb == nullptr) {
        return nullptr;
    }
    for (const auto& pDoc : m_documents) {
        if (pDoc->database() == pDb) {
            return pDoc.get();
        }
    }
    return nullptr;
}

Acad::ErrorStatus DocManager::lockDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode,
                                           const char*, const char*, bool) {
    Document* pDocument = find(pDoc);
    if (pDocument == nullptr) {
        return Acad::eNoDocument;
    }
    if (!isLockMode(lockMode)) {
        return Acad::eInvalidInput;
    }
    pDocument->m_myLocks.push_back(lockMode);
    return Acad::eOk;
}

Acad::ErrorStatus DocManager::unlockDocument(AcApDocument* pDoc) {
    Document* pDocument = find(pDoc);
    if (pDocument == nullptr) {
        return Acad::eNoDocument;
    }
    if (pDocument->m_myLocks.empty()) {
        return Acad::eNotApplicable;
    }
    pDocument->m_myLocks.pop_back();
    return Acad::eOk;
}

Acad::ErrorStatus DocManager::setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode, bool) {
    Document* pDocument = find(pDoc);
    if (pDocument == nullptr) {
        return Acad::eNoDocument;
    }
    if (lockMode != AcAp::kNone && !isLockMode(lockMode)) {
        return Acad::eInvalidInput;
    }
    makeCurrent(pDocument);
    if (lockMode != AcAp::kNone) {
        pDocument->m_myLocks.push_back(lockMode);
    }
    return Acad::eOk;
}

bool DocManager::isApplicationContext() const {
    return contexts().empty() || contexts().back();
}

int DocManager::documentCount() const {
    return (int)m_documents.size();
}

AcApDocumentIterator* DocManager::newAcApDocumentIterator() {
    return new DocumentIterator(documents());
}

Document* DocManager::find(const AcApDocument* pDoc) const {
    for (const auto& pDocument : m_documents) {
        if (pDocument.get() == pDoc) {
            return pDocument.get();
        }
    }
    return nullptr;
}

Document* DocManager::findByName(const std::string& fileName) const {
    for (const auto& pDocument : m_documents) {
        if (strcasecmp(pDocument->fileName(), fileName.c_str()) == 0) {
            return pDocument.get();
        }
    }
    return nullptr;
}

std::vector<Document*> DocManager::documents() const {
    std::vector<Document*> list;
    for (const auto& pDocument : m_documents) {
        list.push_back(pDocument.get());
    }
    return list;
}

Document* DocManager::add(std::unique_ptr<Document> document) {
    m_documents.push_back(std::move(document));
    return m_documents.back().get();
}

std::unique_ptr<Document> DocManager::take(Document* pDoc) {
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == pDoc) {
            std::unique_ptr<Document> taken = std::move(*it);
            m_documents.erase(it);
            if (m_pCurrent == pDoc) {
                makeCurrent(m_documents.empty() ? nullptr : m_documents.back().get());
            }
            return taken;
        }
    }
    return nullptr;
}

// The working database follows the current document (NULL with none).
void DocManager::makeCurrent(Document* pDoc) {
    m_pCurrent = pDoc;
    acdbHostApplicationServices()->setWorkingDatabase(pDoc != nullptr ? pDoc->database() : nullptr);
}

DocManager& docManager() {
    static DocManager* s_pManager = new DocManager;
    return *s_pManager;
}

ApplicationContextScope::ApplicationContextScope() {
    contexts().push_back(true);
}

ApplicationContextScope::~ApplicationContextScope() {
    contexts().pop_back();
}

DocumentCommandScope::DocumentCommandScope(Document* pDoc) : m_pDoc(pDoc) {
    contexts().push_back(false);
    if (m_pDoc != nullptr) {
        m_pDoc->m_editorLocks.push_back(AcAp::kWrite);
    }
}

DocumentCommandScope::~DocumentCommandScope() {
    contexts().pop_back();
    if (m_pDoc != nullptr && docManager().find(m_pDoc) != nullptr &&
        !m_pDoc->m_editorLocks.empty()) {
        m_pDoc->m_editorLocks.pop_back();
    }
}

}  // namespace brevant::host

AcApDocManager* acDocManagerPtr() {
    return &brevant::host::docManager();
}
