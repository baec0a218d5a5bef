// Kept only for the test folders that still include it: logDirectory,
// readLogFolder and writeLogIni now live in the one log-reading helper.
// Include "tests/support/LogScope.h" instead; this header goes once nothing
// includes it.
#pragma once

#include "tests/support/LogScope.h"
