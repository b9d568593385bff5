// The earlier product's settings records, read through the entity-list
// interface. Extended data is read only as far as it goes: an application's
// data ends at the next application's 1001 item or at the end of the list,
// and an item that is not there, or not of the kind a step reads, makes the
// entity "not this kind" or the read a failed one.
#include "OlOldDrawingSettings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "Messages.h"
#include "adslib.h"
#include "dbapserv.h"

using Pellam::Messages::trace;
using Pellam::Messages::traceFormat;

namespace {

const char G_szSettingsMarker[] = "TERNISSETTINGS";
const char G_szCacheMarker[] = "TERNISSETTINGS-CACHE";

// Compared exactly with an entity's type (group 0), in this order.
const char* const G_arraySuitableTypes[] = {"INSERT", "TEXT",   "LINE",     "CIRCLE",
                                            "ARC",    "3DFACE", "POLYLINE", "POINT"};

// The carrier's handle per drawing database. It lives as long as the module
// and only grows.
std::map<AcDbDatabase*, CString>& settingsCache() {
    static std::map<AcDbDatabase*, CString> s_mapCache;
    return s_mapCache;
}

AcDbDatabase* workingDatabase() {
    return acdbHostApplicationServices()->workingDatabase();
}

void copyName(ads_name eTarget, const ads_name eSource) {
    eTarget[0] = eSource[0];
    eTarget[1] = eSource[1];
}

// The 1001 item of an entity list, or NULL.
const resbuf* findApplicationItem(const resbuf* rbData) {
    for (const resbuf* rb = rbData; rb != NULL; rb = rb->rbnext) {
        if (rb->restype == 1001) {
            return rb;
        }
    }
    return NULL;
}

// The item at a position after an application's 1001 item (1 is the one right
// after it); NULL when the application's data ends before it.
const resbuf* itemAfter(const resbuf* rbApplication, int iPosition) {
    const resbuf* rb = rbApplication;
    for (int i = 0; rb != NULL && i < iPosition; ++i) {
        rb = rb->rbnext;
        if (rb != NULL && rb->restype == 1001) {
            return NULL;
        }
    }
    return rb;
}

// The text of a text item; NULL for any other item.
LPCTSTR textOf(const resbuf* rb) {
    if (rb == NULL || rb->restype == 1001 || acdbGroupCodeToType(rb->restype) != RTSTR) {
        return NULL;
    }
    return rb->resval.rstring;
}

// Whether the item is the marker text (group 1000).
bool isMarker(const resbuf* rb, const char* szMarker) {
    return rb != NULL && rb->restype == 1000 && rb->resval.rstring != NULL &&
           strcmp(rb->resval.rstring, szMarker) == 0;
}

// The item at +2 of an entity's extended data for the application, when its
// 1001 item is followed by at least two items; NULL otherwise.
const resbuf* markerItem(const resbuf* rbData) {
    const resbuf* rbApplication = findApplicationItem(rbData);
    return rbApplication != NULL ? itemAfter(rbApplication, 2) : NULL;
}

// The entity's handle (group 5); "" when it has none.
CString handleOf(const resbuf* rbData) {
    for (const resbuf* rb = rbData; rb != NULL && rb->restype != -3; rb = rb->rbnext) {
        if (rb->restype == 5) {
            return CString(rb->resval.rstring);
        }
    }
    return CString();
}

bool isApplicationRegistered(LPCTSTR sApplication) {
    traceFormat(_T("\n{IsApplicationRegistered} looking for %s"), sApplication);
    resbuf* rbFound = acdbTblSearch(_T("APPID"), sApplication, 0);
    if (rbFound == NULL) {
        return false;
    }
    acutRelRb(rbFound);
    return true;
}

// Copies the carrier's records after its count item into the table: 0 with
// every record copied; -1 with the table as it was when the data ends before
// the last record or holds an item that is not a text where a record should
// be, or a copy cannot be made.
int copyRecords(const resbuf* rbCount, int iCount, LPTSTR* pszRecords) {
    std::vector<char*> vectorCopies;
    const resbuf* rbRecord = rbCount;
    for (int i = 0; i < iCount; ++i) {
        rbRecord = itemAfter(rbRecord, 1);
        LPCTSTR sRecord = textOf(rbRecord);
        char* szCopy = (sRecord != NULL) ? _strdup(sRecord) : NULL;
        if (szCopy == NULL) {
            for (char* szMade : vectorCopies) {
                free(szMade);
            }
            return -1;
        }
        vectorCopies.push_back(szCopy);
    }
    for (size_t i = 0; i < vectorCopies.size(); ++i) {
        pszRecords[i] = vectorCopies[i];
    }
    return 0;
}

}  // namespace

int ReadDrawingSettingsEnt(LPCTSTR sApplication, LPTSTR* pszRecords, int& iRecords, int iLimit) {
    const CString sApplicationName(sApplication);
    if (!isApplicationRegistered(sApplicationName)) {
        trace(_T("{OlReadDrawingSettings} IsApplicationRegistered()==FALSE ~ returning\n"));
        return -1;
    }
    ads_name eCarrier;
    if (FindDrawingSettingsEnt(sApplicationName, eCarrier) != 0) {
        return -1;
    }
    resbuf* rbApplications = acutBuildList(RTSTR, (LPCTSTR)sApplicationName, 0);
    resbuf* rbData = acdbEntGetX(eCarrier, rbApplications);
    acutRelRb(rbApplications);
    if (rbData == NULL) {
        acutPrintf(_T("\nReadDrawingSettingsEnt: Can't get entity\n"));
        return -1;
    }
    const resbuf* rbApplication = findApplicationItem(rbData);
    const resbuf* rbMarker = (rbApplication != NULL) ? itemAfter(rbApplication, 2) : NULL;
    if (rbMarker == NULL) {
        acutPrintf(_T("ReadDrawingSettingsEnt: xeditem"));
        acutRelRb(rbData);
        return -1;
    }
    if (!isMarker(rbMarker, G_szSettingsMarker)) {
        acutRelRb(rbData);
        return 0;
    }
    // The count: a 16-bit integer right after the marker.
    const resbuf* rbCount = itemAfter(rbMarker, 1);
    if (rbCount == NULL || acdbGroupCodeToType(rbCount->restype) != RTSHORT) {
        acutRelRb(rbData);
        return -1;
    }
    const int iCount = rbCount->resval.rint;
    if (iCount > iLimit) {
        acutPrintf(_T("\nNumber Of Records Exceeds Maximum User Limit\n"));
        acutRelRb(rbData);
        return -1;
    }
    // A negative count, or one that the data does not hold, is a failed read.
    int iResult = -1;
    if (iCount >= 0 && (iCount == 0 || PELLAM_VERIFY(pszRecords != NULL))) {
        iResult = copyRecords(rbCount, iCount, pszRecords);
    }
    if (iResult == 0) {
        iRecords = iCount;
    }
    acutRelRb(rbData);
    return iResult;
}

int FindDrawingSettingsEnt(LPCTSTR sApplication, ads_name eCarrier) {
    const CString sApplicationName(sApplication);
    resbuf* pApp = acutBuildList(RTSTR, (LPCTSTR)sApplicationName, 0);
    PELLAM_VERIFY(pApp != 0);

    trace(_T("{FindDrawingSettingsEnt} looking in szCacheHandle for cache"));
    for (int iPass = 0; iPass < 2; ++iPass) {
        // The carrier whose handle is cached.
        ads_name eCached;
        if (acdbHandEnt(getCacheHandle(), eCached) == RTNORM) {
            resbuf* rbData = acdbEntGetX(eCached, pApp);
            const bool bCarrier = isMarker(markerItem(rbData), G_szSettingsMarker);
            acutRelRb(rbData);
            if (bCarrier) {
                copyName(eCarrier, eCached);
                PELLAM_VERIFY(acutRelRb(pApp) == 5100);
                trace(_T("{FindDrawingSettingsEnt} FOUND CACHE in szCacheHandle"));
                return 0;
            }
        }

        // The first suitable entity: the cache marker, or the carrier itself.
        trace(_T("{FindDrawingSettingsEnt} looking in FIRST ENTITY for cache"));
        ads_name eFirst;
        if (FindFirstSuitableEnt(eFirst) == RTNORM) {
            resbuf* rbData = acdbEntGetX(eFirst, pApp);
            const resbuf* rbMarker = markerItem(rbData);
            if (isMarker(rbMarker, G_szCacheMarker)) {
                LPCTSTR sHandle = textOf(itemAfter(rbMarker, 1));
                if (sHandle != NULL) {
                    setCacheHandle(sHandle);
                    trace(_T("{FindDrawingSettingsEnt} CACHE was in FIRST suitable entity"));
                }
            }
            if (isMarker(rbMarker, G_szSettingsMarker)) {
                trace(_T("{FindDrawingSettingsEnt} First Entity is for data settings!"));
                copyName(eCarrier, eFirst);
                acutRelRb(rbData);
                PELLAM_VERIFY(acutRelRb(pApp) == 5100);
                return 0;
            }
            acutRelRb(rbData);
        }
    }

    // Every entity of the drawing with extended data of the application.
    trace(_T("{FindDrawingSettingsEnt} NOT FOUND, NOW scanning WHOLE DRAWING for entity..."));
    resbuf* eb1 = acutBuildList(-3, 1001, (LPCTSTR)sApplicationName, 0);
    PELLAM_VERIFY(eb1 != 0);
    ads_name ssEntities;
    // Without its filter the selection would be the whole drawing.
    if (eb1 == NULL || acedSSGet(_T("X"), NULL, NULL, eb1, ssEntities) != RTNORM) {
        PELLAM_VERIFY(acutRelRb(pApp) == 5100);
        acutRelRb(eb1);
        trace(_T("{FindDrawingSettingsEnt} Finished - didn't ssget any "));
        return -1;
    }
    PELLAM_VERIFY(acutRelRb(eb1) == 5100);
    trace(_T("{FindDrawingSettingsEnt} Finished scanning WHOLE DRAWING for entity..."));
    int32_t iLength = 0;
    if (acedSSLength(ssEntities, &iLength) != RTNORM) {
        iLength = 0;
    }
    int iResult = -1;
    bool bDone = false;
    for (int32_t i = 0; i < iLength && !bDone; ++i) {
        trace(_T("{FindDrawingSettingsEnt} looping..."));
        ads_name eMember;
        resbuf* rbData =
            (acedSSName(ssEntities, i, eMember) == RTNORM) ? acdbEntGetX(eMember, pApp) : NULL;
        const resbuf* rbMarker = markerItem(rbData);
        if (rbData == NULL) {
            acutPrintf(_T("\nReadDrawingSetting: Can't get entity\n"));
            bDone = true;
        } else if (rbMarker == NULL) {
            acutPrintf(_T("\nReadDrawingSetting: xeditem"));
            bDone = true;
        } else if (isMarker(rbMarker, G_szSettingsMarker)) {
            trace(_T("{FindDrawingSettingsEnt} going to set cache"));
            copyName(eCarrier, eMember);
            const CString sHandle = handleOf(rbData);
            if (!sHandle.IsEmpty()) {
                setCacheHandle(sHandle);
            } else {
                acutPrintf(_T("\nWARNING: Turn HANDLES ON to speed up Ternis! (type HANDLES)"));
            }
            traceFormat(_T("{FindDrawingSettingsEnt} Cache now=%s"), (LPCTSTR)getCacheHandle());
            iResult = 0;
            bDone = true;
        }
        acutRelRb(rbData);
    }
    PELLAM_VERIFY(acutRelRb(pApp) == 5100);
    acedSSFree(ssEntities);
    if (iResult == 0) {
        trace(_T("{FindDrawingSettingsEnt} Finished OK"));
    } else if (!bDone) {
        trace(_T("{FindDrawingSettingsEnt} Finished - didn't find Ent "));
    }
    return iResult;
}

int FindFirstSuitableEnt(ads_name eEntity) {
    trace(_T("{FindFirstSuitableEnt} begin function"));
    int iCounter = 1;
    ads_name eCurrent;
    // The very first entity of the drawing is never examined.
    if (acdbEntNext(NULL, eCurrent) == RTNORM) {
        ads_name eNext;
        while (acdbEntNext(eCurrent, eNext) == RTNORM) {
            copyName(eCurrent, eNext);
            resbuf* rbData = acdbEntGet(eCurrent);
            LPCTSTR sType = NULL;
            for (const resbuf* rb = rbData; rb != NULL; rb = rb->rbnext) {
                if (rb->restype == 0) {
                    sType = rb->resval.rstring;
                    break;
                }
            }
            for (size_t t = 0; sType != NULL &&
                               t < sizeof(G_arraySuitableTypes) / sizeof(G_arraySuitableTypes[0]);
                 ++t) {
                if (strcmp(sType, G_arraySuitableTypes[t]) == 0) {
                    copyName(eEntity, eCurrent);
                    traceFormat(
                        _T("{FindFirstSuitableEnt} entity no. %d (%s  %s) is a suitable ")
                        _T("cache"),
                        iCounter, sType, (LPCTSTR)handleOf(rbData));
                    acutRelRb(rbData);
                    return RTNORM;
                }
            }
            ++iCounter;
            acutRelRb(rbData);
        }
    }
    traceFormat(_T("{FindFirstSuitableEnt} end function (looked at %d ents.)"), iCounter);
    return RTERROR;
}

CString getCacheHandle() {
    AcDbDatabase* pCurrent = workingDatabase();
    traceFormat(_T("getCacheHandle() - pCurrent = %x"), (unsigned int)(uintptr_t)pCurrent);
    std::map<AcDbDatabase*, CString>::const_iterator iterCache = settingsCache().find(pCurrent);
    if (iterCache == settingsCache().end()) {
        trace(_T("getCacheHandle() - invalid settings cache request."));
        return CString();
    }
    return (*iterCache).second;
}

void setCacheHandle(LPCTSTR sHandle) {
    AcDbDatabase* pCurrent = workingDatabase();
    traceFormat(_T("setCacheHandle(...) - pCurrent = %x"), (unsigned int)(uintptr_t)pCurrent);
    settingsCache().insert(std::make_pair(pCurrent, CString(sHandle)));
}
