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
    // The drawing's full path name; for a new drawing its default name.
    virtual const char* fileName() const = 0;
    virtual AcDbDatabase* database() const = 0;
    virtual const char* docTitle() const = 0;
    virtual bool isReadOnly() const = 0;
    // The document's lock mode; with bIncludeMyLocks the locks of the caller count.
    virtual AcAp::DocLockMode lockMode(bool bIncludeMyLocks = false) const = 0;
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
    virtual AcApDocument* curDocument() const = 0;
    virtual AcApDocument* mdiActiveDocument() const = 0;
    // The document that owns the database, or NULL (references, side databases).
    virtual AcApDocument* document(const AcDbDatabase* pDb) const = 0;
    virtual Acad::ErrorStatus lockDocument(AcApDocument* pDoc,
                                           AcAp::DocLockMode lockMode = AcAp::kWrite,
                                           const char* pGlobalCmdName = nullptr,
                                           const char* pLocalCmdName = nullptr,
                                           bool prompt = true) = 0;
    virtual Acad::ErrorStatus unlockDocument(AcApDocument* pDoc) = 0;
    // True outside any document's command (reactors, modeless code).
    virtual bool isApplicationContext() const = 0;
    virtual int documentCount() const = 0;
    virtual AcApDocumentIterator* newAcApDocumentIterator() = 0;
};

AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
