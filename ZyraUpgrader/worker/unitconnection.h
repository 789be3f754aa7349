// Opening the unit's USB session while it may still be (re)appearing.
#pragma once

#include "vx_zyra.h"

#include <QString>

// Opens the radio of the unit chosen by portPath (as Linux names it,
// "1-2.1": its radio's port or its video module's, see UnitBench), or, when
// no unit has been chosen (empty), the first unit on the bus.
int connectUnit(vx_zyra_t *handle, const QString &portPath);

// Up to `attempts` connects to the unit at portPath (see connectUnit), each
// followed by a pause of `pauseSeconds` (also the one that succeeds, giving
// the unit time to settle). Returns the last connect's result. Each attempt
// is logged under retryTrace, if given, followed by its result.
int connectWithPauses(vx_zyra_t *handle, const QString &portPath, int attempts, int pauseSeconds,
                      const char *retryTrace = nullptr);
