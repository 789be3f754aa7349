// Application firmware update: hand-over to the bootloader, erase, the boot
// agent for old bootloaders, the image, and the restart into the result.
#include <cstring>

#include "firmware/command_step.h"
#include "firmware/firmware_file.h"
#include "firmware/hex_text.h"
#include "firmware/progress.h"
#include "internal/commands.h"
#include "internal/error.h"

namespace zyra {
namespace {

const CommandStep IS_BOOTLDR_STEP = {cmd::IS_BOOTLDR, "Failed to send IS_BOOTLDR command", VX_ZYRA_APP_IS_BOOTLDR_SEND,
                                     "Failed to receive IS_BOOTLDR command", VX_ZYRA_APP_IS_BOOTLDR_RECEIVE};
const CommandStep EXEC_BOOTLOADER_STEP = {cmd::EXEC_BOOTLOADER, "Failed to send EXEC_BOOTLOADER command",
                                          VX_ZYRA_APP_EXEC_BOOTLOADER_SEND, "Failed to receive EXEC_BOOTLOADER command",
                                          VX_ZYRA_APP_EXEC_BOOTLOADER_RECEIVE};
const CommandStep BL_GET_CONFIG_STEP = {cmd::BL_GET_CONFIG, "Failed to send BL_GET_CONFIG command",
                                        VX_ZYRA_APP_COMMAND_SEND, "Failed to receive BL_GET_CONFIG command",
                                        VX_ZYRA_APP_COMMAND_RECEIVE};
const CommandStep START_UPGRADE_STEP = {cmd::START_UPGRADE, "Failed to send START_UPGRADE command",
                                        VX_ZYRA_APP_COMMAND_SEND, "Failed to receive START_UPGRADE command",
                                        VX_ZYRA_APP_COMMAND_RECEIVE};
const CommandStep UPGRADE_RESTART_STEP = {cmd::START_UPGRADE, "Failed to send UPGRADE_START command",
                                          VX_ZYRA_APP_COMMAND_SEND, "Failed to receive UPGRADE_START command",
                                          VX_ZYRA_APP_COMMAND_RECEIVE};
const CommandStep FWU_COMPLETED_STEP = {cmd::BL_FWU_COMPLETED, "Failed to send BL_FWU_COMPLETED command",
                                        VX_ZYRA_APP_COMPLETED_SEND, "Failed to receive BL_FWU_COMPLETED command",
                                        VX_ZYRA_APP_COMPLETED_RECEIVE};

struct BootloaderVersion {
    uint8_t major = 0;
    uint8_t minor = 0;
    uint8_t debug = 0;
};

// Bootloaders up to 2.0.5 cannot take an image directly: the boot agent
// goes first.
bool needs_boot_agent(const BootloaderVersion &version)
{
    return version.major < 2 || (version.major == 2 && version.minor == 0 && version.debug <= 5);
}

// Empty in a build without the vendor's agents.
HexText boot_agent_for(uint8_t side)
{
    const char *agent = side == VX_ZYRA_RX ? VX_ZYRA_RX_BOOT_AGENT : VX_ZYRA_TX_BOOT_AGENT;
    return {agent, strnlen(agent, side == VX_ZYRA_RX ? sizeof VX_ZYRA_RX_BOOT_AGENT : sizeof VX_ZYRA_TX_BOOT_AGENT)};
}

int read_side(vx_zyra_t *h)
{
    if (vx_zyra_get_side(h) != 0)
        return fail(h, VX_ZYRA_APP_NO_SIDE, "Failed to read info from ZYRA device");
    return 0;
}

int enter_bootloader(vx_zyra_t *h, const Progress &progress)
{
    size_t length = 0;
    if (run_command_step(h, IS_BOOTLDR_STEP, &length))
        return 1;
    // The application answers with one byte, or with a leading zero.
    bool application_running = length == 1 || (length > 1 && h->buf[0] == 0);
    if (application_running) {
        if (run_command_step(h, EXEC_BOOTLOADER_STEP))
            return 1;
        progress.report("starting bootloader", 10);
        if (vx_zyra_reconnect(h) != 0)
            return fail(h, VX_ZYRA_APP_BOOTLOADER_LOST, "Failed to reconnect to bootloader");
    }
    return read_side(h);
}

int read_bootloader_version(vx_zyra_t *h, BootloaderVersion &version)
{
    size_t length = 0;
    if (run_command_step(h, BL_GET_CONFIG_STEP, &length))
        return 1;
    version = BootloaderVersion();
    if (length >= 3) {
        version.major = h->buf[0];
        version.minor = h->buf[1];
        version.debug = h->buf[2];
    }
    return 0;
}

int erase(vx_zyra_t *h, const CommandStep &start_upgrade, const Progress &progress, int percent)
{
    if (run_command_step(h, start_upgrade))
        return 1;
    if (await_record(h, cmd::ERASE_DONE, DEFAULT_TIMEOUT_S, "Failed to receive ERASE_DONE command",
                     VX_ZYRA_APP_ERASE_DONE_MISSING))
        return 1;
    progress.report("APP erased", percent);
    return 0;
}

int complete_and_restart(vx_zyra_t *h, const Progress &progress, int percent)
{
    if (run_command_step(h, FWU_COMPLETED_STEP))
        return 1;
    progress.report("restarting; waiting for device to appear", percent);
    if (vx_zyra_system_restart(h) != 0)
        return fail(h, VX_ZYRA_APP_RESTART_FAILED, "Failed to restart ZYRA device");
    return 0;
}

int install_boot_agent(vx_zyra_t *h, Progress &progress)
{
    HexText agent = boot_agent_for(h->side);
    size_t start = agent.length > 0 && agent.text[0] == '\n' ? 1 : 0;
    if (send_hex_text(h, agent, start, progress, 20, 10))
        return 1;
    if (complete_and_restart(h, progress, 35))
        return 1;
    if (read_side(h))
        return 1;
    return erase(h, UPGRADE_RESTART_STEP, progress, 40);
}

}  // namespace
}  // namespace zyra

extern "C" {

VX_ZYRA_EXPORT int vx_zyra_update_app_array(vx_zyra_t *h, const uint8_t *fw_data, uint32_t fw_length,
                                            firmware_callback_f cb, void *cb_data)
{
    using namespace zyra;
    Progress progress(cb, cb_data);
    progress.report("firmware upgrade start", 1);
    if (enter_bootloader(h, progress))
        return 1;
    BootloaderVersion version;
    if (read_bootloader_version(h, version))
        return 1;
    // The bootloader's version is known only once it runs: refuse here,
    // while the application is still whole, rather than erase a unit that
    // could then only be sent code it cannot start.
    if (needs_boot_agent(version) && boot_agent_for(h->side).length == 0)
        return fail(h, VX_ZYRA_APP_NO_BOOT_AGENT, "Boot agent for this bootloader not available");
    if (erase(h, START_UPGRADE_STEP, progress, 20))
        return 1;
    if (needs_boot_agent(version) && install_boot_agent(h, progress))
        return 1;
    progress.restart_steps();
    HexText image = {reinterpret_cast<const char *>(fw_data), fw_data == nullptr ? 0 : fw_length};
    if (send_hex_text(h, image, 0, progress, 40, 40))
        return 1;
    if (complete_and_restart(h, progress, 85))
        return 1;
    progress.report("complete", 100);
    return 0;
}

VX_ZYRA_EXPORT int vx_zyra_update_app(vx_zyra_t *h, const char *file_name, firmware_callback_f cb, void *cb_data)
{
    return zyra::update_from_file(h, file_name, cb, cb_data, vx_zyra_update_app_array);
}

}  // extern "C"
