#pragma once
#include "windows.h"
#include "win/shell.h"
