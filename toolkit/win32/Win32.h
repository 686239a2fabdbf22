#pragma once

// The Windows headers as the back end uses them (the macros come from the build).
#include <windows.h>
