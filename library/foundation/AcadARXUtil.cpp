// Editor operations shared by the module.
#include "AcadARXUtil.h"

#include "Messages.h"
#include "acdocman.h"
#include "aced.h"

using Pellam::Messages::traceFormat;

void CAutoCADUtil::defineFunctions(const LispFunctionTable& arrayFunctions,
                                   const LispPrefixList& arrayPrefixes) {
    const int iFunctions = (int)arrayFunctions.size();
    const int iPrefixes = (int)arrayPrefixes.size();
    for (int i = 0; i < iFunctions; ++i) {
        const CLispFunction& functionCurrent = arrayFunctions[i];
        const CString sName = functionCurrent.getName();
        traceFormat(_T("\tfunction : i = %d, name = \"%s\"\n"), i, (LPCTSTR)sName);
        for (int j = 0; j < iPrefixes; ++j) {
            const CString sFullFunctionName = arrayPrefixes[j] + sName;
            const short iIDX = (short)(i * iPrefixes + j);
            traceFormat(_T("\tfunction : j = %d, fullname = \"%s\"\n"), j,
                        (LPCTSTR)sFullFunctionName);
            traceFormat(_T("\tiIDX = %d\n"), iIDX);
            PELLAM_VERIFY(acedDefun(sFullFunctionName, iIDX) == 5100);
            PELLAM_VERIFY(acedRegFunc(functionCurrent.getFunction(), iIDX) == 5100);
        }
    }
}

void CAutoCADUtil::undefineFunctions(const LispFunctionTable& arrayFunctions,
                                     const LispPrefixList& arrayPrefixes) {
    const int iFunctions = (int)arrayFunctions.size();
    const int iPrefixes = (int)arrayPrefixes.size();
    for (int i = 0; i < iFunctions; ++i) {
        const CString sName = arrayFunctions[i].getName();
        for (int j = 0; j < iPrefixes; ++j) {
            const CString sFullFunctionName = arrayPrefixes[j] + sName;
            const short iIDX = (short)(i * iPrefixes + j);
            traceFormat(_T("\tfunction : j = %d, fullname = \"%s\"\n"), j,
                        (LPCTSTR)sFullFunctionName);
            traceFormat(_T("\tiIDX = %d\n"), iIDX);
            PELLAM_VERIFY(acedUndef(sFullFunctionName, iIDX) == 5100);
        }
    }
}

void CAutoCADUtil::invokeFunction(const LispFunctionTable& arrayFunctions,
                                  const LispPrefixList& arrayPrefixes, int iFunctionCode) {
    const int iPrefixes = (int)arrayPrefixes.size();
    if (!PELLAM_VERIFY(iPrefixes > 0)) {
        return;
    }
    const int iIDX = iFunctionCode / iPrefixes;
    traceFormat(_T("\tiFunctionCode = %d\n"), iFunctionCode);
    traceFormat(_T("\tiPrefixes = %d\n"), iPrefixes);
    traceFormat(_T("\tiIDX = %d\n"), iIDX);
    if (!PELLAM_VERIFY((iFunctionCode >= 0) && (iIDX < (int)arrayFunctions.size()))) {
        return;
    }
    LispHandler pFunction = arrayFunctions[iIDX].getFunction();
    if (pFunction != NULL) {
        pFunction();
    }
}

CString CAutoCADUtil::getReleaseNumber() {
    return CString(_T("15"));
}

CString CAutoCADUtil::getCurrentDocumentName() {
    AcApDocManager* pDocManager = acDocManagerPtr();
    AcApDocument* pDocument = (pDocManager != NULL) ? pDocManager->curDocument() : NULL;
    if (pDocument == NULL) {
        return CString();
    }
    return CString(pDocument->fileName());
}

bool CAutoCADUtil::lockDocument() {
    traceFormat(_T("CAutoCADUtil::lockDocument()"));
    AcApDocument* pDocument = acDocManager->curDocument();
    if (pDocument == NULL) {
        traceFormat(_T("\tno default document present"));
        return true;
    }
    const Acad::ErrorStatus esLock =
        acDocManager->lockDocument(pDocument, AcAp::kWrite, NULL, NULL, true);
    if (esLock != Acad::eOk) {
        traceFormat(_T("\tlock failure (%d)"), (int)esLock);
        return false;
    }
    return true;
}

void CAutoCADUtil::unlockDocument() {
    traceFormat(_T("CAutoCADUtil::unlockDocument()"));
    AcApDocument* pDocument = acDocManager->curDocument();
    if (pDocument == NULL) {
        traceFormat(_T("\tno default document present"));
        return;
    }
    const Acad::ErrorStatus esUnlock = acDocManager->unlockDocument(pDocument);
    const bool bSuccess = (esUnlock == Acad::eOk);
    if (!bSuccess) {
        traceFormat(_T("\tunlock failure (%d)"), (int)esUnlock);
    }
    PELLAM_VERIFY(bSuccess);
}

bool CAutoCADUtil::isLocked() {
    traceFormat(_T("CAutoCADUtil::isLocked()"));
    AcApDocument* pDocument = acDocManager->curDocument();
    if (pDocument == NULL) {
        traceFormat(_T("\tno default document present"));
        return false;
    }
    const AcAp::DocLockMode lockMode = pDocument->lockMode(true);
    traceFormat(_T("\tcurrent lock mode (%d)"), (int)lockMode);
    return !(lockMode == AcAp::kNotLocked || lockMode == AcAp::kNone);
}
