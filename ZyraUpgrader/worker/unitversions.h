// The versions and serial zyra and the window's unit list show, in one
// spelling: digits and dots, no "v".
#pragma once

#include <QString>

#include "vx_zyra.h"

namespace unitversions {

// The radio's application firmware, as the unit reported it (major.minor.debug);
// "unknown" when it told none.
QString application(const vx_zyra_t &unit);
// The radio's MAC firmware (major.minor.debug.build), or "unknown".
QString radio(const vx_zyra_t &unit);
// The board serial as text, without the padding the unit sends after it;
// empty when it told none.
QString serial(const vx_zyra_t &unit);
// The video module's version as its flash image carries it ("v1.3" -> "1.3").
QString withoutPrefix(const QString &version);
// What an update of the device type installs, as the window shows it: the
// package's XMEGA_VERSION; empty when the package has none.
QString inPackage(int deviceType);

}  // namespace unitversions
