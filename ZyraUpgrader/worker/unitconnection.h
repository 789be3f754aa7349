// Opening the unit's USB session while it may still be (re)appearing.
#pragma once

#include "vx_zyra.h"

// Up to `attempts` connects, each followed by a pause of `pauseSeconds`
// (also the one that succeeds, giving the unit time to settle). Returns the
// last connect's result. Each attempt is logged under retryTrace, if given,
// followed by its result.
int connectWithPauses(vx_zyra_t *handle, int attempts, int pauseSeconds, const char *retryTrace = nullptr);
