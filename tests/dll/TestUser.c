/* A library whose import table names TarnTestDep.dll. */
#include <windows.h>

__declspec(dllimport) int TarnTestDepValue(void);

__declspec(dllexport) int TarnTestUserValue(void) { return TarnTestDepValue(); }
