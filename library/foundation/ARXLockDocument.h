// A scoped lock of the current document: made before a change to the drawing,
// destroyed after it. It takes the editor's document lock only when code runs
// in the application context (outside any command) and the document is not
// locked yet, and gives back only the lock that it took.
#pragma once

class CARXLockDocument {
public:
    CARXLockDocument();
    virtual ~CARXLockDocument();

    CARXLockDocument(const CARXLockDocument&) = delete;
    CARXLockDocument& operator=(const CARXLockDocument&) = delete;

private:
    bool m_bApplicationContext;  // the editor was in the application context
    bool m_bWasLocked;           // the current document was locked already
    bool m_bLockedHere;          // this object took the lock and gives it back
};
