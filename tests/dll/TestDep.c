/* A library that another test library imports, to show where a library's own dependencies are searched. */
#include <windows.h>

__declspec(dllexport) int TarnTestDepValue(void) { return 42; }
