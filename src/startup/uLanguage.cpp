// IsJapanese, an object of its own: a program that needs only the language links no string code.
#include "startup/uInternationalUtils.h"
#include <windows.h>

bool IsJapanese() { return GetSystemDefaultLCID() == 1041; }
