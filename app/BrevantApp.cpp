// The module's application: entry point, start-up and unload, LISP function
// table, companion module and LISP handlers.
#include "BrevantApp.h"

#include "BrevantEditorReactor.h"

#include "ARXDrawingData.h"
#include "ARXDrawingInformation.h"
#include "ARXServiceUtilities.h"
#include "ARXTitleBlock.h"
#include "BaseUtil.h"
#include "FileUtil.h"
#include "Locator.h"
#include "Maintenance.h"
#include "Messages.h"
#include "SettingsFile.h"
#include "VersionBlock.h"
#include "Variable.h"
#include "acdocman.h"
#include "aced.h"
#include "acedxref.h"
#include "acutmem.h"
#include "brevant/dllmain.h"
#include "dbapserv.h"
#include "dbsymtb.h"

using Pellam::Messages::traceFormat;

namespace {

// The module's process-wide state, built when the module is attached.
LispFunctionTable G_arrayFunctions;
CARXService G_serviceBrevant(_T("Brevant_services"));
HINSTANCE G_hBrevantInstance = NULL;

// The number of LISP arguments: the nodes of the chain.
int countArguments(const resbuf* pArgs) {
    int iArgs = 0;
    for (const resbuf* pArg = pArgs; pArg != NULL; pArg = pArg->rbnext) {
        ++iArgs;
    }
    return iArgs;
}

AcApDocument* currentDocument() {
    AcApDocManager* pManager = acDocManagerPtr();
    return pManager != NULL ? pManager->curDocument() : NULL;
}

const LPCTSTR kProjectSettingsFile = _T("ProjectSettings.txt");

// The index of the extra name PellamWriteDwgInfo: just past the table's.
short extraFunctionIndex() {
    return (short)(G_arrayFunctions.size() * Pellam::Util::getMakerInternalNames().size());
}

}  // namespace

AcRx::AppRetCode CBrevantApp::entryPoint(AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
        case AcRx::kInitAppMsg: {
            traceFormat(_T("AcRx::kInitAppMsg."));
            AcRxDynamicLinker* pLinker = acrxDynamicLinker;
            if (pLinker != NULL) {
                pLinker->unlockApplication(pkt);
                pLinker->registerAppMDIAware(pkt);
            }
            initialise();
            break;
        }
        case AcRx::kUnloadAppMsg:
            traceFormat(_T("AcRx::kUnloadAppMsg."));
            terminate();
            break;
        case AcRx::kLoadDwgMsg:
            traceFormat(_T("AcRx::kLoadDwgMsg."));
            checkForDelayedARXLoad();
            registerLispFunctions();
            break;
        case AcRx::kUnloadDwgMsg:
            traceFormat(_T("AcRx::kUnloadDwgMsg."));
            unregisterLispFunctions();
            break;
        case AcRx::kInvkSubrMsg: {
            traceFormat(_T("AcRx::kInvkSubrMsg."));
            const int iFunctionCode = acedGetFunCode();
            invokeLispFunction(iFunctionCode);
            break;
        }
        default:
            break;
    }
    return AcRx::kRetOK;
}

void CBrevantApp::initialise() {
    Pellam::initialiseLibrary(_T("Brevant"), G_hBrevantInstance);
    PELLAM_VERIFY(Pellam::CVersionBlock::initialise());

    const CString sModuleFile = Pellam::Locator::Locate(LOCATION_MODULE_FILE);
    const CString sModuleName = PellamFile::BaseName(sModuleFile, _T(""));
    PELLAM_VERIFY(acutPrintf(_T("\n\n%s module loaded (%s).\n"),
                             (LPCTSTR)Pellam::Util::getFullProductName(),
                             (LPCTSTR)sModuleName) == 5100);

    // From here on the editor reports document events to the module.
    CBrevantEditorReactor::attach();

    G_serviceBrevant.registerService();
    loadMDITabs();

    PELLAM_VERIFY(acutPrintf(_T("%s module %s operational.\n"),
                             (LPCTSTR)Pellam::Util::getFullProductName(), _T("is")) == 5100);
}

void CBrevantApp::terminate() {
    G_serviceBrevant.unregisterService();
    // Empties the reactor's per-document maps without writing anything.
    CBrevantEditorReactor::detach();
    Pellam::CVersionBlock::terminate();
}

void CBrevantApp::registerLispFunctions() {
    G_arrayFunctions.clear();
    G_arrayFunctions.push_back(CLispFunction(_T("Debug"), LispDebugLevel));
    G_arrayFunctions.push_back(CLispFunction(_T("Version"), LispVersion));
    G_arrayFunctions.push_back(CLispFunction(_T("WriteDwgInfo"), LispWriteDrawingInfo));
    G_arrayFunctions.push_back(CLispFunction(_T("GetAttributeValue"), LispGetAttributeValue));
    G_arrayFunctions.push_back(CLispFunction(_T("SetAttributeValue"), LispSetAttributeValue));

    CAutoCADUtil::defineFunctions(G_arrayFunctions, Pellam::Util::getMakerInternalNames());

    const CString sFunction(_T("PellamWriteDwgInfo"));
    const short iIDX = extraFunctionIndex();
    PELLAM_VERIFY(acedDefun(sFunction, iIDX) == 5100);
    PELLAM_VERIFY(acedRegFunc(LispWriteDrawingInfo, iIDX) == 5100);
}

void CBrevantApp::unregisterLispFunctions() {
    CAutoCADUtil::undefineFunctions(G_arrayFunctions, Pellam::Util::getMakerInternalNames());

    const CString sFunction(_T("PellamWriteDwgInfo"));
    const short iIDX = extraFunctionIndex();
    PELLAM_VERIFY(acedUndef(sFunction, iIDX) == 5100);
}

void CBrevantApp::invokeLispFunction(int iFunctionCode) {
    if (iFunctionCode == extraFunctionIndex()) {
        LispWriteDrawingInfo();
        return;
    }
    CAutoCADUtil::invokeFunction(G_arrayFunctions, Pellam::Util::getMakerInternalNames(),
                                 iFunctionCode);
}

void CBrevantApp::loadMDITabs() {
    const CString sModuleName(_T("TarvexMDITabs"));
    const CString sModuleFile = Pellam::Locator::Locate(LOCATION_MODULE_FILE);
    const CString sDirectory = PellamFile::Directory(sModuleFile);
    const CString sExtension = PellamFile::Extension(sModuleFile);

    const CString sFileName = Pellam::findLatestNumberedFile(
        sModuleName + CAutoCADUtil::getReleaseNumber(), sExtension, sDirectory);
    if (sFileName.IsEmpty()) {
        return;
    }
    AcRxDynamicLinker* pLinker = acrxDynamicLinker;
    PELLAM_VERIFY((pLinker != NULL) && pLinker->loadModule(sFileName, false));
    PELLAM_VERIFY(acutPrintf(_T("\n%s module was loaded (%s).\n"), (LPCTSTR)sModuleName,
                             (LPCTSTR)PellamFile::BaseName(sFileName, _T(""))) == 5100);
}

// ---- Drawings that were open before the module loaded -------------------------------

void CBrevantApp::checkForDelayedARXLoad() {
    traceFormat(_T("CBrevantApp::checkForDelayedARXLoad()\n"));
    AcDbDatabase* pDatabase = acdbHostApplicationServices()->workingDatabase();
    if (hasOpenReactorFired(pDatabase)) {
        return;
    }
    const CString sDocumentName = CAutoCADUtil::getCurrentDocumentName();
    if (!Pellam::CARXDrawingData::isValidFileName(sDocumentName)) {
        return;
    }
    // Worked out before the open actions change the project.
    const bool bReloadXREFs = isXREFReloadRequired(pDatabase);
    runOpenActions(pDatabase, bReloadXREFs);
}

bool CBrevantApp::hasOpenReactorFired(AcDbDatabase* pDatabase) {
    traceFormat(_T("CBrevantApp::hasOpenReactorFired(...)\n"));
    return CBrevantEditorReactor::isTracked(pDatabase);
}

void CBrevantApp::runOpenActions(AcDbDatabase* pDatabase, bool bReloadXREFs) {
    traceFormat(_T("CBrevantApp::runOpenActions(...)\n"));
    CBrevantEditorReactor::actionOpened(pDatabase, CAutoCADUtil::getCurrentDocumentName());
    if (bReloadXREFs) {
        reloadXREFs(pDatabase);
    }
}

bool CBrevantApp::isXREFReloadRequired(AcDbDatabase* pDatabase) {
    traceFormat(_T("CBrevantApp::isXREFReloadRequired(...)\n"));
    char* pProjectName = NULL;
    if (pDatabase == NULL || pDatabase->getProjectName(pProjectName) != Acad::eOk) {
        return false;
    }
    const CString sProjectName(pProjectName != NULL ? pProjectName : _T(""));
    acutDelString(pProjectName);

    const CString sFolder = Pellam::Locator::findFileUpwards(
        kProjectSettingsFile, PellamFile::Directory(CAutoCADUtil::getCurrentDocumentName()));
    const CSettingsFile settingsProject(sFolder + kProjectSettingsFile);
    if (!settingsProject.isValid()) {
        return false;
    }
    const CString sRequiredProjectName = settingsProject.getProjectLabel();
    if (sRequiredProjectName != sProjectName) {
        return true;
    }
    return settingsProject.getProjectPath() !=
           CBrevantEditorReactor::getProjectSearchPath(sRequiredProjectName);
}

void CBrevantApp::reloadXREFs(AcDbDatabase* pDatabase) {
    traceFormat(_T("CBrevantApp::reloadXREFs(...)\n"));
    AcDbObjectIdArray arrayBTRIds;
    AcDbBlockTable* pBlockTable = NULL;
    if (pDatabase != NULL && pDatabase->getSymbolTable(pBlockTable, AcDb::kForRead) == Acad::eOk &&
        pBlockTable != NULL) {
        AcDbBlockTableIterator* pBlockIterator = NULL;
        if (PELLAM_VERIFY(pBlockTable->newIterator(pBlockIterator) == Acad::eOk) &&
            pBlockIterator != NULL) {
            for (; !pBlockIterator->done(); pBlockIterator->step()) {
                AcDbBlockTableRecord* pBlockTableRecord = NULL;
                if (!PELLAM_VERIFY(pBlockIterator->getRecord(pBlockTableRecord, AcDb::kForRead) ==
                                   Acad::eOk) ||
                    pBlockTableRecord == NULL) {
                    continue;
                }
                if (pBlockTableRecord->xrefStatus() == AcDb::kXrfFileNotFound) {
                    arrayBTRIds.append(pBlockTableRecord->objectId());
                }
                PELLAM_VERIFY(pBlockTableRecord->close() == Acad::eOk);
            }
            delete pBlockIterator;
        }
        PELLAM_VERIFY(pBlockTable->close() == Acad::eOk);
    }
    PELLAM_VERIFY(acedXrefReload(arrayBTRIds, false) == Acad::eOk);
}

const LispFunctionTable& CBrevantApp::getFunctionTable() {
    return G_arrayFunctions;
}

HINSTANCE CBrevantApp::getInstance() {
    return G_hBrevantInstance;
}

void CBrevantApp::setInstance(HINSTANCE hInstance) {
    G_hBrevantInstance = hInstance;
}

int LispDebugLevel() {
    PELLAM_VERIFY(acedRetNil() == 5100);

    const resbuf* pArgs = acedGetArgs();
    const int iArgs = countArguments(pArgs);
    if (iArgs < 1) {
        Pellam::Messages::acadErrorMessage(_T("Not enough arguments passed to DebugLevel"));
        return RSRSLT;
    }
    if (iArgs > 1) {
        Pellam::Messages::acadErrorMessage(_T("Too many arguments passed to DebugLevel"));
        return RSRSLT;
    }
    if (pArgs->restype != RTSHORT) {
        Pellam::Messages::acadErrorMessage(_T("Invalid argument passed to DebugLevel"));
        return RSRSLT;
    }
    int iPreviousLevel = 0;
    if (!Pellam::Messages::setDebugLevel(pArgs->resval.rint, iPreviousLevel)) {
        return RSRSLT;
    }
    PELLAM_VERIFY(acedRetInt(iPreviousLevel) == 5100);
    return RSRSLT;
}

int LispVersion() {
    Pellam::Messages::message(CString(_T(__FILE__)) + _T(" : ") + _T(__DATE__) + _T(" ") +
                              _T(__TIME__));
    PELLAM_VERIFY(acedRetVoid() == 5100);
    return RSRSLT;
}

int LispWriteDrawingInfo() {
    PELLAM_VERIFY(acedRetNil() == 5100);

    CString sDrawingName;
    CString sDrawingPrefix;
    try {
        sDrawingName = Pellam::CARXVariable(_T("DWGNAME")).readString();
        sDrawingPrefix = Pellam::CARXVariable(_T("DWGPREFIX")).readString();
    } catch (CException* pException) {
        pException->Delete();
        return RSRSLT;
    }
    const CString sFullDrawingName = sDrawingPrefix + sDrawingName;

    AcApDocument* pDocument = currentDocument();
    if (pDocument == NULL) {
        return RSRSLT;
    }
    CARXDrawingInformation* pInformation = NULL;
    try {
        pInformation = new CARXDrawingInformation(pDocument->database(), pDocument->fileName());
        pInformation->build();
        CString sOutcome;
        if (pInformation->WriteDinFile(sFullDrawingName)) {
            sOutcome = _T("Document information was written.");
            PELLAM_VERIFY(acedRetT() == 5100);
        } else {
            sOutcome = _T("Document information was not written.");
        }
        Pellam::Messages::trace(sOutcome);
        delete pInformation;
    } catch (CException* pException) {
        pException->Delete();
        delete pInformation;
        Pellam::Messages::acadError(_T("Error writing DIN file for \"%s\"."),
                                    (LPCTSTR)sFullDrawingName);
    }
    return RSRSLT;
}

int LispGetAttributeValue() {
    PELLAM_VERIFY(acedRetNil() == 5100);

    const resbuf* pArgs = acedGetArgs();
    const int iArgs = countArguments(pArgs);
    if (iArgs < 1) {
        Pellam::Messages::acadErrorMessage(
            _T("Not enough arguments passed to BrevantGetAttributeValue"));
        return RSRSLT;
    }
    if (iArgs > 1) {
        Pellam::Messages::acadErrorMessage(
            _T("Too many arguments passed to BrevantGetAttributeValue"));
        return RSRSLT;
    }
    if (pArgs->restype != RTSTR) {
        Pellam::Messages::acadErrorMessage(
            _T("Invalid argument passed to BrevantGetAttributeValue"));
        return RSRSLT;
    }
    const CString sMapTag(pArgs->resval.rstring);

    AcApDocument* pDocument = currentDocument();
    if (pDocument == NULL) {
        return RSRSLT;
    }
    CARXTitleBlock titleBlock(pDocument->database(), pDocument->fileName());
    CString sValue;
    if (titleBlock.isInstance()) {
        sValue = titleBlock.get(sMapTag);
    }
    PELLAM_VERIFY(acedRetStr(sValue) == 5100);
    return RSRSLT;
}

int LispSetAttributeValue() {
    PELLAM_VERIFY(acedRetNil() == 5100);

    const resbuf* pArgs = acedGetArgs();
    const int iArgs = countArguments(pArgs);
    if (iArgs < 2) {
        Pellam::Messages::acadErrorMessage(
            _T("Not enough arguments passed to BrevantSetAttributeValue"));
        return RSRSLT;
    }
    if (iArgs > 2) {
        Pellam::Messages::acadErrorMessage(
            _T("Too many arguments passed to BrevantSetAttributeValue"));
        return RSRSLT;
    }
    if (pArgs->restype != RTSTR || pArgs->rbnext->restype != RTSTR) {
        return RSRSLT;
    }
    const CString sMapTag(pArgs->resval.rstring);
    const CString sValue(pArgs->rbnext->resval.rstring);

    AcApDocument* pDocument = currentDocument();
    if (pDocument == NULL) {
        return RSRSLT;
    }
    CARXTitleBlock titleBlock(pDocument->database(), pDocument->fileName());
    if (titleBlock.isInstance() && titleBlock.set(sMapTag, sValue)) {
        PELLAM_VERIFY(acedRetStr(sValue) == 5100);
    }
    return RSRSLT;
}

// The module's extension-module set-up: its resources join the resource
// chain, and its instance handle is recorded for the library, which finds the
// module's own file through it.
namespace {
AFX_EXTENSION_MODULE G_extensionBrevant = {FALSE, NULL, NULL};
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        CBrevantApp::setInstance(hInstance);
        if (!AfxInitExtensionModule(G_extensionBrevant, hInstance)) {
            return FALSE;
        }
        new CDynLinkLibrary(G_extensionBrevant);
    } else if (dwReason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(G_extensionBrevant);
    }
    return TRUE;
}

// The module's exported entry point: every message goes to the application.
extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(
    AcRx::AppMsgCode msg, void* pkt) {
    return CBrevantApp::entryPoint(msg, pkt);
}
