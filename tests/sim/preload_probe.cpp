// Run with libzyra_sim.so preloaded and ZYRA_SIM_SIDE=2: the unchanged library,
// linked to the real libusb-1.0 only, must meet the default receiver unit and
// spend its protocol seconds in virtual time.
#include <chrono>
#include <cstdio>

#include "vx_zyra.h"

int main()
{
    auto start = std::chrono::steady_clock::now();
    vx_zyra_t handle{};
    if (vx_zyra_connect(&handle) != 0 || vx_zyra_get_info(&handle) != 0) {
        std::fprintf(stderr, "no unit under the preloaded drop-in: %s\n", handle.error_msg);
        return 1;
    }
    vx_zyra_disconnect(&handle);
    if (handle.side != VX_ZYRA_RX || handle.version.app.major != 1 || handle.version.mac.build != 7) {
        std::fprintf(stderr, "unexpected identity: side %d app %d mac build %d\n", handle.side,
                     handle.version.app.major, handle.version.mac.build);
        return 1;
    }
    // get_info drains four times, one second each: real time would show it.
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) {
        std::fprintf(stderr, "the library waited in real time\n");
        return 1;
    }
    return 0;
}
