// The settings store in the named-objects dictionary, and the entry point that
// falls back on the earlier product's records.
#include "ARXDrawingSettings.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "Messages.h"
#include "OlOldDrawingSettings.h"
#include "adslib.h"
#include "dbapserv.h"
#include "dbdict.h"
#include "dbxrecrd.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

namespace {

// The index of a record's key: keys made only of the digits and "-", read as
// "%u" reads them. False for any other key.
bool indexOfKey(const char* szKey, unsigned long& iIDX) {
    if (szKey == NULL || *szKey == '\0' || strspn(szKey, "0123456789-") != strlen(szKey)) {
        return false;
    }
    char* szEnd = NULL;
    iIDX = strtoul(szKey, &szEnd, 10);
    return szEnd != szKey;
}

// Reads the text of one record into sEntry and closes the record. A record
// that is not a single text item is reported; one whose first item is not a
// text leaves sEntry as it was.
void readRecord(AcDbObject* pObject, CString& sEntry) {
    AcDbXrecord* pXRecord = AcDbXrecord::cast(pObject);
    if (!PELLAM_VERIFY(pXRecord != NULL)) {
        pObject->close();
        return;
    }
    resbuf* rbXRecord = NULL;
    if (pXRecord->rbChain(&rbXRecord) == Acad::eOk) {
        const bool bTextRecord = (rbXRecord != NULL) && (rbXRecord->restype == 1);
        const bool bTerminated = (rbXRecord == NULL) || (rbXRecord->rbnext == NULL);
        PELLAM_VERIFY(bTextRecord);
        PELLAM_VERIFY(bTerminated);
        if (bTextRecord) {
            sEntry = rbXRecord->resval.rstring;
        }
        PELLAM_VERIFY(acutRelRb(rbXRecord) == 5100);
    }
    PELLAM_VERIFY(pXRecord->close() == Acad::eOk);
}

}  // namespace

CARXDrawingSettings::CARXDrawingSettings(AcDbDatabase* pDatabase, LPCTSTR sApplication)
    : CDrawingSettings(sApplication), m_pDatabase(pDatabase) {
    PELLAM_VERIFY(m_pDatabase != NULL);
}

void CARXDrawingSettings::read() {
    AcDbDictionary* pNamedObjectsDictionary = NULL;
    if (m_pDatabase == NULL ||
        !PELLAM_VERIFY(m_pDatabase->getNamedObjectsDictionary(pNamedObjectsDictionary,
                                                              AcDb::kForRead) == Acad::eOk)) {
        m_bEntriesValid = true;
        return;
    }
    AcDbObject* pObject = NULL;
    if (pNamedObjectsDictionary->getAt(m_sApplication, pObject, AcDb::kForRead) == Acad::eOk) {
        AcDbDictionary* pDictionary = AcDbDictionary::cast(pObject);
        if (!PELLAM_VERIFY(pDictionary != NULL)) {
            // Something else under the application's name: no records.
            pObject->close();
        } else {
            const Adesk::UInt32 iNumberOfEntries = pDictionary->numEntries();
            m_vectorEntries.resize(iNumberOfEntries);
            AcDbDictionaryIterator* pDictionaryIter = pDictionary->newIterator();
            if (PELLAM_VERIFY(pDictionaryIter != NULL)) {
                for (; !pDictionaryIter->done(); pDictionaryIter->next()) {
                    unsigned long iIDX = 0;
                    if (!indexOfKey(pDictionaryIter->name(), iIDX)) {
                        continue;
                    }
                    if (!PELLAM_VERIFY(iIDX < iNumberOfEntries)) {
                        continue;
                    }
                    AcDbObject* pXRecord = NULL;
                    if (PELLAM_VERIFY(pDictionaryIter->getObject((AcDbObject*&)pXRecord,
                                                                 AcDb::kForRead) == Acad::eOk)) {
                        readRecord(pXRecord, m_vectorEntries[iIDX]);
                    }
                }
                delete pDictionaryIter;
            }
            PELLAM_VERIFY(pDictionary->close() == Acad::eOk);
        }
    }
    PELLAM_VERIFY(pNamedObjectsDictionary->close() == Acad::eOk);
    m_bEntriesValid = true;
}

void CARXDrawingSettings::write() {
    AcDbDictionary* pNamedObjectsDictionary = NULL;
    if (m_pDatabase == NULL ||
        !PELLAM_VERIFY(m_pDatabase->getNamedObjectsDictionary(pNamedObjectsDictionary,
                                                              AcDb::kForWrite) == Acad::eOk)) {
        return;
    }
    AcDbDictionary* pDictionary = NULL;
    AcDbObject* pObject = NULL;
    const Acad::ErrorStatus esLookup =
        pNamedObjectsDictionary->getAt(m_sApplication, pObject, AcDb::kForWrite);
    if (esLookup == Acad::eOk) {
        pDictionary = AcDbDictionary::cast(pObject);
        if (!PELLAM_VERIFY(pDictionary != NULL)) {
            // Something else under the application's name stays as it is.
            pObject->close();
        }
    } else if (esLookup == Acad::eKeyNotFound) {
        pDictionary = new AcDbDictionary;
        AcDbObjectId idDictionary;
        if (!PELLAM_VERIFY(pNamedObjectsDictionary->setAt(m_sApplication, pDictionary,
                                                          idDictionary) == Acad::eOk)) {
            delete pDictionary;
            pDictionary = NULL;
        }
    } else {
        // The store is there but cannot be opened: it is not replaced.
        PELLAM_VERIFY(esLookup == Acad::eOk);
    }
    PELLAM_VERIFY(pNamedObjectsDictionary->close() == Acad::eOk);
    if (pDictionary == NULL) {
        return;
    }

    for (size_t i = 0; i < m_vectorEntries.size(); ++i) {
        CString sIDX;
        sIDX.Format(_T("%u"), (unsigned int)i);
        AcDbXrecord* pXRecord = new AcDbXrecord;
        AcDbObjectId idXRecord;
        if (!PELLAM_VERIFY(pDictionary->setAt(sIDX, pXRecord, idXRecord) == Acad::eOk)) {
            delete pXRecord;
            continue;
        }
        resbuf* rbXRecord = acutBuildList(1, (LPCTSTR)m_vectorEntries[i], 0);
        if (PELLAM_VERIFY(rbXRecord != NULL)) {
            PELLAM_VERIFY(pXRecord->setFromRbChain(*rbXRecord) == Acad::eOk);
            PELLAM_VERIFY(acutRelRb(rbXRecord) == 5100);
        }
        PELLAM_VERIFY(pXRecord->close() == Acad::eOk);
    }
    PELLAM_VERIFY(pDictionary->close() == Acad::eOk);
}

int OlReadDrawingSettings(LPCTSTR sApplication, LPTSTR* pszRecords, int& iRecords, int iLimit) {
    const CString sApplicationName(sApplication);
    traceFormat(_T("OlReadDrawingSettings(\"%s\", ..., %d)\n"), (LPCTSTR)sApplicationName, iLimit);
    int iResult = 0;

    trace(_T("\t-\treading settings from dictionary (new) ...\n"));
    std::vector<CString> vectorEntries;
    {
        CARXDrawingSettings settings(acdbHostApplicationServices()->workingDatabase(),
                                     sApplicationName);
        settings.read();
        vectorEntries = settings.getEntries();
    }

    const size_t iEntries = vectorEntries.size();
    if (iLimit < 0 || iEntries > (size_t)iLimit) {
        trace(_T("\t-\ttoo many records ...\n"));
        iResult = -1;
    } else if (iEntries > 0) {
        if (!PELLAM_VERIFY(pszRecords != NULL)) {
            return -1;
        }
        // Nothing half-copied is handed out.
        std::vector<char*> vectorCopies;
        for (size_t i = 0; i < iEntries; ++i) {
            char* szCopy = _strdup(vectorEntries[i]);
            if (szCopy == NULL) {
                for (char* szMade : vectorCopies) {
                    free(szMade);
                }
                return -1;
            }
            vectorCopies.push_back(szCopy);
        }
        for (size_t i = 0; i < iEntries; ++i) {
            pszRecords[i] = vectorCopies[i];
        }
        iRecords = (int)iEntries;
    } else {
        trace(_T("\t-\tno records available ...\n"));
        trace(_T("\t-\treading settings from XDATA (old) ...\n"));
        iResult = ReadDrawingSettingsEnt(sApplicationName, pszRecords, iRecords, iLimit);
    }
    return iResult;
}
