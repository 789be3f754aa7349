/* The public header as a C program sees it: it compiles as strict C99, its
 * version macros agree with the version data the library exports, and its
 * named results and step codes are what the library returns. */
#include <stdio.h>
#include <string.h>

#include "vx_zyra.h"

static int failures = 0;

static void expect(int holds, const char *what)
{
    if (!holds) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

int main(void)
{
    char exported[32];
    vx_zyra_t handle;
    char version[8];

    snprintf(exported, sizeof exported, "%d.%d.%d", VX_ZYRA_API_MAJOR_VERSION, VX_ZYRA_API_MINOR_VERSION,
             VX_ZYRA_API_BUILD_VERSION);
    expect(strcmp(exported, VX_ZYRA_VERSION_STRING) == 0, "exported version data equals VX_ZYRA_VERSION_STRING");
    expect(VX_ZYRA_API_MAJOR_VERSION == VX_ZYRA_VERSION_MAJOR && VX_ZYRA_API_MINOR_VERSION == VX_ZYRA_VERSION_MINOR &&
               VX_ZYRA_API_BUILD_VERSION == VX_ZYRA_VERSION_PATCH,
           "exported version data equals the version macros");

    /* Neither call reaches USB: a closed handle and a missing file. */
    memset(&handle, 0, sizeof handle);
    expect(vx_zyra_disconnect(&handle) == VX_ZYRA_FAILED, "disconnect of a closed handle fails");
    expect(handle.error == VX_ZYRA_SESSION_INVALID, "with VX_ZYRA_SESSION_INVALID");
    expect(vx_zyra_xmega_version("/nonexistent/firmware.bin", version, (int)sizeof version - 1) == VX_ZYRA_FAILED,
           "no version in a missing XMEGA image");
    return failures == 0 ? 0 : 1;
}
