// A drawing's summary information: eight properties and free custom entries.
// A drawing keeps them in its named-objects dictionary under "DWGPROPS", which
// holds at most ten custom entries; more are refused (eOutOfRange) rather than
// lost on the next save.
#pragma once

#include "acadstrc.h"

class AcDbDatabase;
struct SummaryInfoData;

class AcDbDatabaseSummaryInfo {
public:
    virtual ~AcDbDatabaseSummaryInfo();

    // Each getter hands out a copy that the caller releases with acdbFree.
    Acad::ErrorStatus getTitle(char*& title) const;
    Acad::ErrorStatus setTitle(const char* title);
    Acad::ErrorStatus getSubject(char*& subject) const;
    Acad::ErrorStatus setSubject(const char* subject);
    Acad::ErrorStatus getAuthor(char*& author) const;
    Acad::ErrorStatus setAuthor(const char* author);
    Acad::ErrorStatus getKeywords(char*& keywordlist) const;
    Acad::ErrorStatus setKeywords(const char* keywordlist);
    Acad::ErrorStatus getComments(char*& comments) const;
    Acad::ErrorStatus setComments(const char* comments);
    Acad::ErrorStatus getLastSavedBy(char*& lastSavedBy) const;
    Acad::ErrorStatus setLastSavedBy(const char* lastSavedBy);
    Acad::ErrorStatus getRevisionNumber(char*& revisionNumber) const;
    Acad::ErrorStatus setRevisionNumber(const char* revisionNumber);
    Acad::ErrorStatus getHyperlinkBase(char*& HyperlinkBase) const;
    Acad::ErrorStatus setHyperlinkBase(const char* HyperlinkBase);

    int numCustomInfo() const;
    // eDuplicateKey for a key already there; eInvalidInput for an empty key or
    // one holding "="; eOutOfRange past ten entries.
    Acad::ErrorStatus addCustomSummaryInfo(const char* key, const char* value);
    Acad::ErrorStatus deleteCustomSummaryInfo(int index);
    Acad::ErrorStatus deleteCustomSummaryInfo(const char* key);
    Acad::ErrorStatus getCustomSummaryInfo(int index, char*& key, char*& value) const;
    Acad::ErrorStatus getCustomSummaryInfo(const char* customInfoKey, char*& value) const;
    Acad::ErrorStatus setCustomSummaryInfo(const char* customInfoKey, const char* value);
    Acad::ErrorStatus setCustomSummaryInfo(int index, const char* key, const char* value);

    AcDbDatabase* database() const;
    void setDatabase(AcDbDatabase* pDb);

    // Host side: made by acdbGetSummaryInfo.
    explicit AcDbDatabaseSummaryInfo(AcDbDatabase* pDb);
    SummaryInfoData* hostData() const { return m_pData; }

private:
    SummaryInfoData* m_pData;
};

// Reads the drawing's summary information into a new object that the caller
// deletes; a drawing without any gives empty properties.
Acad::ErrorStatus acdbGetSummaryInfo(AcDbDatabase* pDb, AcDbDatabaseSummaryInfo*& pInfo);
// Stores the object's properties in its drawing.
Acad::ErrorStatus acdbPutSummaryInfo(const AcDbDatabaseSummaryInfo* pInfo);
