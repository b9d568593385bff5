// Releasing texts that the editor allocated for the caller.
#pragma once

#include "acadstrc.h"

// Frees a text handed out by a database call (getProjectName, tag, textString, ...)
// and sets the pointer to NULL.
void acutDelString(char*& pString);
// Frees memory handed out by the summary-information calls.
void acdbFree(void* p);
