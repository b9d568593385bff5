// The Windows interface that the module and the editor rely on, on Linux.
#pragma once

#include "win/types.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/messages.h"
#include "win/module.h"
#include "win/version.h"
#include "win/identity.h"
