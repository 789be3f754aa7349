#include "bootagents.h"

#include <QByteArray>

#include "vx_zyra.h"
#include "zyra_boot_agent_marker.h"

namespace {

QByteArray agentText(const char *agent, size_t size)
{
    return QByteArray(agent, static_cast<int>(qstrnlen(agent, static_cast<uint>(size))));
}

}  // namespace

QString bootAgentsCarried()
{
    const QByteArray tx = agentText(VX_ZYRA_TX_BOOT_AGENT, sizeof VX_ZYRA_TX_BOOT_AGENT);
    const QByteArray rx = agentText(VX_ZYRA_RX_BOOT_AGENT, sizeof VX_ZYRA_RX_BOOT_AGENT);
    if (tx.isEmpty() || rx.isEmpty())
        return "none (units with a bootloader up to 2.0.5 are refused)";
    // The marker shows in the HEX text as its digits, upper case.
    const QByteArray marker = QByteArray(ZYRA_STAND_IN_AGENT_MARKER).toHex().toUpper();
    if (tx.contains(marker) || rx.contains(marker))
        return "stand-ins for tests (never for a unit)";
    return "the vendor's";
}
