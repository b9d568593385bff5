// Status texts, the editor's memory release calls and the working database.
#include "DbInternal.h"

#include "acadstrc.h"
#include "acutmem.h"
#include "dbapserv.h"

#include <cstdlib>
#include <cstring>

const char* acadErrorStatusText(Acad::ErrorStatus status) {
    switch (status) {
        case Acad::eOk:
            return "eOk";
        case Acad::eNotImplementedYet:
            return "eNotImplementedYet";
        case Acad::eNotApplicable:
            return "eNotApplicable";
        case Acad::eInvalidInput:
            return "eInvalidInput";
        case Acad::eAmbiguousInput:
            return "eAmbiguousInput";
        case Acad::eAmbiguousOutput:
            return "eAmbiguousOutput";
        case Acad::eOutOfMemory:
            return "eOutOfMemory";
        case Acad::eBufferTooSmall:
            return "eBufferTooSmall";
        case Acad::eInvalidOpenState:
            return "eInvalidOpenState";
        case Acad::eEntityInUse:
            return "eEntityInUse";
        case Acad::eNullEntityPointer:
            return "eNullEntityPointer";
        case Acad::eNotApplicableToThisType:
            return "eNotApplicableToThisType";
        case Acad::eInvalidIndex:
            return "eInvalidIndex";
        case Acad::eInvalidKey:
            return "eInvalidKey";
        case Acad::eKeyNotFound:
            return "eKeyNotFound";
        case Acad::eDuplicateKey:
            return "eDuplicateKey";
        case Acad::eNullObjectPointer:
            return "eNullObjectPointer";
        case Acad::eNullObjectId:
            return "eNullObjectId";
        case Acad::eNullHandle:
            return "eNullHandle";
        case Acad::eNotInDatabase:
            return "eNotInDatabase";
        case Acad::eWasErased:
            return "eWasErased";
        case Acad::eWasOpenForRead:
            return "eWasOpenForRead";
        case Acad::eWasOpenForWrite:
            return "eWasOpenForWrite";
        case Acad::eWasOpenForNotify:
            return "eWasOpenForNotify";
        case Acad::eWasNotOpenForWrite:
            return "eWasNotOpenForWrite";
        case Acad::eNotOpenForWrite:
            return "eNotOpenForWrite";
        case Acad::eWasOpenForUndo:
            return "eWasOpenForUndo";
        case Acad::eAlreadyInDb:
            return "eAlreadyInDb";
        case Acad::eNotThatKindOfClass:
            return "eNotThatKindOfClass";
        case Acad::eInvalidDxfCode:
            return "eInvalidDxfCode";
        case Acad::eNoDatabase:
            return "eNoDatabase";
        case Acad::eWrongDatabase:
            return "eWrongDatabase";
        case Acad::eHandleInUse:
            return "eHandleInUse";
        case Acad::eUnknownHandle:
            return "eUnknownHandle";
        case Acad::eFileNotFound:
            return "eFileNotFound";
        case Acad::eFileAccessErr:
            return "eFileAccessErr";
        case Acad::eFilerError:
            return "eFilerError";
        case Acad::eDwgNotRecognized:
            return "eDwgNotRecognized";
        case Acad::eDwgCRCError:
            return "eDwgCRCError";
        case Acad::eBadDxfSequence:
            return "eBadDxfSequence";
        case Acad::eEndOfFile:
            return "eEndOfFile";
        case Acad::eNoFileName:
            return "eNoFileName";
        case Acad::eFileSharingViolation:
            return "eFileSharingViolation";
        case Acad::eCannotOpenFile:
            return "eCannotOpenFile";
        case Acad::eDiskFull:
            return "eDiskFull";
        case Acad::eFileWriteError:
            return "eFileWriteError";
        case Acad::eFileLockedByACAD:
            return "eFileLockedByACAD";
        case Acad::eInvalidFileName:
            return "eInvalidFileName";
        case Acad::eNotAnEntity:
            return "eNotAnEntity";
        case Acad::eInvalidXrefStatus:
            return "eInvalidXrefStatus";
        case Acad::eXRefDependent:
            return "eXRefDependent";
        case Acad::eInvalidBlockName:
            return "eInvalidBlockName";
        case Acad::eInvalidLayer:
            return "eInvalidLayer";
        case Acad::eMissingSymbolTable:
            return "eMissingSymbolTable";
        case Acad::eNotAllowedForThisProxy:
            return "eNotAllowedForThisProxy";
        case Acad::eDictionaryIsEmpty:
            return "eDictionaryIsEmpty";
        case Acad::eNoInternalSpace:
            return "eNoInternalSpace";
        case Acad::eBadObjType:
            return "eBadObjType";
        case Acad::eInvalidContext:
            return "eInvalidContext";
        case Acad::eLockViolation:
            return "eLockViolation";
        case Acad::eLockConflict:
            return "eLockConflict";
        case Acad::eNotNewlyCreated:
            return "eNotNewlyCreated";
        case Acad::eOutOfRange:
            return "eOutOfRange";
        case Acad::eInvalidResBuf:
            return "eInvalidResBuf";
        case Acad::eLoadFailed:
            return "eLoadFailed";
        case Acad::eNotFromThisDocument:
            return "eNotFromThisDocument";
        case Acad::eNoDocument:
            return "eNoDocument";
        case Acad::eSelfReference:
            return "eSelfReference";
        case Acad::eXdataSizeExceeded:
            return "eXdataSizeExceeded";
        case Acad::eRegappIdNotFound:
            return "eRegappIdNotFound";
        case Acad::eNotInBlock:
            return "eNotInBlock";
        case Acad::eHadMultipleReaders:
            return "eHadMultipleReaders";
        case Acad::eIsWriteProtected:
            return "eIsWriteProtected";
        case Acad::eWasOpenForRead2:
            return "eWasOpenForRead2";
        case Acad::eDuplicateRecord:
            return "eDuplicateRecord";
        case Acad::eNotOpenForRead:
            return "eNotOpenForRead";
    }
    return "Unknown error status";
}

void acutDelString(char*& pString) {
    free(pString);
    pString = nullptr;
}

void acdbFree(void* p) {
    free(p);
}

namespace {
AcDbDatabase* g_pWorkingDatabase = nullptr;
}  // namespace

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
    return g_pWorkingDatabase;
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* pDatabase) {
    g_pWorkingDatabase = pDatabase;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices services;
    return &services;
}

// Handles and ids.

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isValid() const {
    return brevant::db::implOf(*this) != nullptr;
}

bool AcDbObjectId::isErased() const {
    AcDbDatabase::Impl* impl = brevant::db::implOf(*this);
    return impl != nullptr && impl->isErased(m_index);
}

AcDbHandle AcDbObjectId::handle() const {
    AcDbDatabase::Impl* impl = brevant::db::implOf(*this);
    return impl == nullptr ? AcDbHandle()
                           : AcDbHandle(Adesk::UInt64(impl->records[m_index].handle));
}

AcDbHandle::AcDbHandle(int lo, int hi)
    : m_value((Adesk::UInt64(Adesk::UInt32(hi)) << 32) | Adesk::UInt32(lo)) {}

AcDbHandle::AcDbHandle(const char* hexText) {
    uint64_t v = 0;
    if (hexText != nullptr && brevant::dxf::parseHandle(hexText, v)) {
        m_value = v;
    }
}

void AcDbHandle::getIntoAsciiBuffer(char* pBuf) const {
    std::string text = brevant::dxf::formatHandle(m_value);
    memcpy(pBuf, text.c_str(), text.size() + 1);
}

bool AcDbHandle::getIntoAsciiBuffer(char* pBuf, size_t nBufLen) const {
    std::string text = brevant::dxf::formatHandle(m_value);
    if (pBuf == nullptr || nBufLen < text.size() + 1) {
        return false;
    }
    memcpy(pBuf, text.c_str(), text.size() + 1);
    return true;
}
