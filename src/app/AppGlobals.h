// The one GPU object of the process, through which every window reads and sets the card.
#pragma once

#include "gpu/NvidiaGpu.h"

extern NvidiaGpu g_nvidiaGpu;
