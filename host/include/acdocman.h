// Documents: the drawings open in the editor, and the document manager.
#pragma once

#include "rxobject.h"
#include "acadstrc.h"

class AcDbDatabase;

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40,
};
}  // namespace AcAp

class AcApDocument : public AcRxObject {
public:
    // The drawing's full path name; for a new drawing its default name
    // ("Drawing1.dwg").
    virtual const char* fileName() const = 0;
    virtual AcDbDatabase* database() const = 0;
    // The file name without its folder ("plan01.dwg").
    virtual const char* docTitle() const = 0;
    virtual bool isReadOnly() const = 0;
    // The document's lock mode: kNotLocked, or the latest lock still held.
    // Without bIncludeMyLocks only the editor's own lock for a command counts;
    // with it, also the locks taken through AcApDocManager::lockDocument.
    virtual AcAp::DocLockMode lockMode(bool bIncludeMyLocks = false) const = 0;
    // The latest lock taken through AcApDocManager::lockDocument, or kNone.
    virtual AcAp::DocLockMode myLockMode() const = 0;
};

class AcApDocumentIterator {
public:
    virtual ~AcApDocumentIterator() = default;
    virtual bool done() const = 0;
    virtual void step() = 0;
    virtual AcApDocument* document() = 0;
};

class AcApDocManager : public AcRxObject {
public:
    // The document that commands and LISP work on; NULL with no drawing open.
    virtual AcApDocument* curDocument() const = 0;
    virtual AcApDocument* mdiActiveDocument() const = 0;
    // The document that owns the database, or NULL (references, side databases).
    virtual AcApDocument* document(const AcDbDatabase* pDb) const = 0;
    virtual Acad::ErrorStatus lockDocument(AcApDocument* pDoc,
                                           AcAp::DocLockMode lockMode = AcAp::kWrite,
                                           const char* pGlobalCmdName = nullptr,
                                           const char* pLocalCmdName = nullptr,
                                           bool prompt = true) = 0;
    // Releases the latest lock taken with lockDocument (eNotApplicable: none held).
    virtual Acad::ErrorStatus unlockDocument(AcApDocument* pDoc) = 0;
    // Makes the document current; with a lock mode other than kNone it is
    // also locked in that mode, as by lockDocument.
    virtual Acad::ErrorStatus setCurDocument(AcApDocument* pDoc,
                                             AcAp::DocLockMode lockMode = AcAp::kNone,
                                             bool activate = false) = 0;
    // True outside any document's command (reactors, modeless code).
    virtual bool isApplicationContext() const = 0;
    virtual int documentCount() const = 0;
    virtual AcApDocumentIterator* newAcApDocumentIterator() = 0;
};

AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
