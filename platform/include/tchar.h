// Single-byte text mapping of the generic-text names.
#pragma once

#include <cstring>
#include <cstdio>
#include "win/types.h"

#define _T(x) x
#define _TEXT(x) x
#define TEXT(x) x
#define _tcslen strlen
#define _tcscpy strcpy
#define _tcsncpy strncpy
#define _tcscat strcat
#define _tcscmp strcmp
#define _tcsicmp _stricmp
#define _tcsncmp strncmp
#define _tcschr strchr
#define _tcsrchr strrchr
#define _tcsstr strstr
#define _tcsdup _strdup
#define _stprintf sprintf
#define _sntprintf _snprintf
#define _vsntprintf _vsnprintf
#define _stscanf sscanf
#define _ttoi atoi
#define _tsplitpath _splitpath
#define _tfullpath _fullpath
#define _tgetenv getenv
