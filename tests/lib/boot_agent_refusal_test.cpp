// A library built without the vendor's boot agents: a unit whose bootloader
// needs one is refused before its application is erased, from the running
// application or with the bootloader already running; newer bootloaders
// are updated as ever.
#include <cstring>
#include <string>

#include "intelhex.h"
#include "unit_fixture.h"

namespace zyra_test {
namespace {

struct RefusalCase {
    const char *name;
    uint8_t side;
    Bytes bootloader;
    bool bootloaderRunning;
    bool refused;
};

void PrintTo(const RefusalCase &c, std::ostream *out)
{
    *out << c.name;
}

class BootAgentRefusal : public UnitTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(BootAgentRefusal, OldBootloaderIsRefusedBeforeAnyErase)
{
    const RefusalCase &c = GetParam();
    ASSERT_EQ(VX_ZYRA_TX_BOOT_AGENT[0], '\0') << "this test runs against a library without agents";
    unit->setSide(c.side);
    unit->setBootloaderVersion(c.bootloader[0], c.bootloader[1], c.bootloader[2]);
    if (c.bootloaderRunning)
        unit->setRunning(zyra_sim::Firmware::Bootloader);
    ASSERT_EQ(vx_zyra_get_info(&h), 0);
    std::string image;
    intelhex::appendRecord(&image, intelhex::ExtendedLinearAddress, 0, Bytes{0x08, 0x00}.data(), 2);
    intelhex::appendRecord(&image, intelhex::Data, 0x5C00, Bytes{2, 7, 5, 0}.data(), 4);
    intelhex::appendRecord(&image, intelhex::EndOfFile, 0, nullptr, 0);

    const int rc = vx_zyra_update_app_array(&h, reinterpret_cast<const uint8_t *>(image.data()),
                                            static_cast<uint32_t>(image.size()), nullptr, nullptr);

    if (c.refused) {
        expectFailure(h, rc, VX_ZYRA_APP_NO_BOOT_AGENT, "Boot agent for this bootloader not available");
        EXPECT_LE(std::strlen(h.error_msg), 63u);
        EXPECT_TRUE(unit->framesWithCode(wire::START_UPGRADE).empty()) << "nothing may be erased";
        EXPECT_EQ(unit->eraseCount(), 0);
        EXPECT_EQ(unit->dataBlocksWritten(), 0);
    } else {
        EXPECT_EQ(rc, 0) << h.error_msg;
        EXPECT_EQ(unit->eraseCount(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Bootloaders, BootAgentRefusal,
                         ::testing::Values(RefusalCase{"tx_2_0_5_from_application", 1, {2, 0, 5}, false, true},
                                           RefusalCase{"rx_1_9_9_bootloader_running", 2, {1, 9, 9}, true, true},
                                           RefusalCase{"tx_2_0_6_needs_no_agent", 1, {2, 0, 6}, false, false}),
                         [](const ::testing::TestParamInfo<RefusalCase> &row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zyra_test
