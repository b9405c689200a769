// The probe's report: every reading of every GPU, the information sheet and the clock
// strings, printed to standard output. Read-only, except that the information sheet on the
// devices whose base clocks include the offset zeroes an offset for one read and puts it back.
#pragma once

#include "gpu/NvidiaGpu.h"

// Prints the report for a started NvidiaGpu; `started` is Initialize()'s result. Returns the
// process exit code: 0 when at least one GPU answered, 1 otherwise.
int RunProbe(NvidiaGpu& gpu, bool started);
