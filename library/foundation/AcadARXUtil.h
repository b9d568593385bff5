// Editor operations shared by the module: LISP function tables defined,
// undefined and dispatched under every name prefix, the editor's release, the
// current document and its lock.
#pragma once

#include <afx.h>

#include <vector>

#include "LispFunction.h"

typedef std::vector<CLispFunction> LispFunctionTable;
typedef std::vector<CString> LispPrefixList;

class CAutoCADUtil {
public:
    // Defines every entry under every prefix: the entry at position i under
    // prefix j gets the name prefix + base name and the index i * prefixes + j.
    static void defineFunctions(const LispFunctionTable& arrayFunctions,
                                const LispPrefixList& arrayPrefixes);
    // Removes the names that defineFunctions made.
    static void undefineFunctions(const LispFunctionTable& arrayFunctions,
                                  const LispPrefixList& arrayPrefixes);
    // Runs the handler of the entry that the function code stands for, under
    // whichever prefix; a code outside the table runs nothing.
    static void invokeFunction(const LispFunctionTable& arrayFunctions,
                               const LispPrefixList& arrayPrefixes, int iFunctionCode);

    // The editor's release number: "15".
    static CString getReleaseNumber();
    // The full path name of the current document; "" when there is none.
    static CString getCurrentDocumentName();

    // Locks the current document for writing, as code outside a command must
    // before it changes the drawing. No current document counts as locked
    // (true); a lock the editor refuses is false.
    static bool lockDocument();
    // Gives back the latest lock taken with lockDocument.
    static void unlockDocument();
    // Whether the current document is locked by anyone, the module's own locks
    // included; false without a current document.
    static bool isLocked();
};
