// The module's application: the entry point's messages, start-up and unload,
// the LISP function table with its definition per document and its dispatch,
// the companion module, and the LISP handlers.
#pragma once

#include <afx.h>

#include "AcadARXUtil.h"
#include "rxregsvc.h"

class AcDbDatabase;

class CBrevantApp {
public:
    // Answers every message with AcRx::kRetOK; see the handlers below.
    static AcRx::AppRetCode entryPoint(AcRx::AppMsgCode msg, void* pkt);

    // Initialise-application message: library, version block, banner,
    // service, companion module, operational line.
    static void initialise();
    // Unload-application message: service removed, version block released.
    static void terminate();

    // Load-drawing message: the table refilled and defined for the document.
    static void registerLispFunctions();
    // Unload-drawing message: the document's names undefined.
    static void unregisterLispFunctions();
    // Invoke message: the handler behind the function code.
    static void invokeLispFunction(int iFunctionCode);

    // Load-drawing message, before the names are defined: the open actions
    // for a drawing whose opening the editor reactor did not see (the module
    // was loaded after it), with its external references reloaded when the
    // project it needs differs from the editor's.
    static void checkForDelayedARXLoad();
    static bool hasOpenReactorFired(AcDbDatabase* pDatabase);
    static void runOpenActions(AcDbDatabase* pDatabase, bool bReloadXREFs);
    static bool isXREFReloadRequired(AcDbDatabase* pDatabase);
    // Reloads the references whose file was not found.
    static void reloadXREFs(AcDbDatabase* pDatabase);

    // Loads the companion module TarvexMDITabs<release>, or its highest
    // numbered file, from beside the module file when there is one.
    static void loadMDITabs();

    // The LISP function table, as the last load-drawing message left it.
    static const LispFunctionTable& getFunctionTable();
    // The module's own instance handle, recorded when the module was attached.
    static HINSTANCE getInstance();
    static void setInstance(HINSTANCE hInstance);
};

// The LISP handlers: each reads its arguments from the editor, sets the
// result and returns RSRSLT.
int LispDebugLevel();
int LispVersion();
int LispWriteDrawingInfo();
int LispGetAttributeValue();
int LispSetAttributeValue();
