/* An outside program of libvx_zyra: prints the version of the library it
 * runs with, which must be the one its header was built with. */
#include <stdio.h>

#include <vx_zyra.h>

int main(void)
{
    printf("vx_zyra %d.%d.%d\n", VX_ZYRA_API_MAJOR_VERSION, VX_ZYRA_API_MINOR_VERSION, VX_ZYRA_API_BUILD_VERSION);
    return VX_ZYRA_API_MAJOR_VERSION == VX_ZYRA_VERSION_MAJOR &&
                   VX_ZYRA_VERSION == VX_ZYRA_MAKE_VERSION(VX_ZYRA_API_MAJOR_VERSION, VX_ZYRA_API_MINOR_VERSION,
                                                           VX_ZYRA_API_BUILD_VERSION)
               ? 0
               : 1;
}
