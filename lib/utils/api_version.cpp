#include "vx_zyra.h"

extern "C" {

const int VX_ZYRA_API_MAJOR_VERSION = 1;
const int VX_ZYRA_API_MINOR_VERSION = 0;
const int VX_ZYRA_API_BUILD_VERSION = 1;

}  // extern "C"
