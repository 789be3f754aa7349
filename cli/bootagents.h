// Which boot agents the loaded libvx_zyra carries. A unit whose bootloader
// is 2.0.5 or older takes its update only through the vendor's agent, so
// zyra info and zyra --version say whether this build can update one.
#pragma once

#include <QString>

QString bootAgentsCarried();
