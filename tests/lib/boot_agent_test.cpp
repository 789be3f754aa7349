// The boot agents carried by the library: their declared size filled
// exactly, their HEX structure, and every line accepted by the library's
// own record handling with the flash addresses from 0x08005800 upward.
#include <cstring>
#include <string>
#include <vector>

#include "unit_fixture.h"

namespace zyra_test {
namespace {

struct Agent {
    const char *name;
    const char *text;
    size_t declaredSize;
    size_t dataRecords;
};

const Agent kAgents[] = {
    {"TX", VX_ZYRA_TX_BOOT_AGENT, sizeof VX_ZYRA_TX_BOOT_AGENT, 272},
    {"RX", VX_ZYRA_RX_BOOT_AGENT, sizeof VX_ZYRA_RX_BOOT_AGENT, 244},
};

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

uint8_t hexByte(const std::string &line, size_t index)
{
    return static_cast<uint8_t>(std::stoul(line.substr(1 + 2 * index, 2), nullptr, 16));
}

class BootAgentText : public ::testing::TestWithParam<Agent>
{
};

TEST_P(BootAgentText, FillsItsDeclaredSizeUpToTheNul)
{
    const Agent &agent = GetParam();
    EXPECT_EQ(std::strlen(agent.text), agent.declaredSize - 1);
    EXPECT_EQ(agent.text[agent.declaredSize - 1], '\0');
}

TEST_P(BootAgentText, HasAddressRecordDataRecordsStartRecordAndEndBetweenLineFeeds)
{
    const Agent &agent = GetParam();
    const std::vector<std::string> lines = linesOf(agent.text);
    ASSERT_EQ(lines.size(), agent.dataRecords + 5) << "empty first line, n + 3 records, empty last line";
    EXPECT_EQ(lines.front(), "") << "the text begins with a line feed";
    EXPECT_EQ(lines.back(), "") << "the text ends with a line feed";
    EXPECT_EQ(lines[1], ":020000040800F2");
    EXPECT_EQ(lines[lines.size() - 3].substr(0, 9), ":04000005");
    EXPECT_EQ(lines[lines.size() - 2], ":00000001FF");
}

TEST_P(BootAgentText, DataRecordsAreContiguousFrom0x5800WithValidChecksums)
{
    const Agent &agent = GetParam();
    const std::vector<std::string> lines = linesOf(agent.text);
    uint32_t expectedAddress = 0x5800;
    for (size_t i = 2; i < 2 + agent.dataRecords; ++i) {
        const std::string &line = lines[i];
        ASSERT_EQ(line[0], ':') << "line " << i;
        const uint8_t count = hexByte(line, 0);
        ASSERT_EQ(line.size(), 11u + 2 * count) << "line " << i;
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 16);
        EXPECT_EQ(hexByte(line, 3), 0x00) << "data record, line " << i;
        EXPECT_EQ(uint32_t(hexByte(line, 1) << 8 | hexByte(line, 2)), expectedAddress) << "line " << i;
        uint8_t sum = 0;
        for (size_t b = 0; b < 5u + count; ++b)
            sum = static_cast<uint8_t>(sum + hexByte(line, b));
        EXPECT_EQ(sum, 0) << "checksum of line " << i;
        expectedAddress += count;
    }
    EXPECT_LE(expectedAddress, 0x10000u) << "the agent stays inside its 64 KiB page";
}

INSTANTIATE_TEST_SUITE_P(Sides, BootAgentText, ::testing::ValuesIn(kAgents),
                         [](const ::testing::TestParamInfo<Agent> &row) { return std::string(row.param.name); });

class BootAgentRecords : public UnitTest, public ::testing::WithParamInterface<Agent>
{
};

TEST_P(BootAgentRecords, EveryLineIsAcceptedAndItsDataGoesToFlashFrom0x08005800)
{
    const Agent &agent = GetParam();
    const std::vector<std::string> lines = linesOf(agent.text);
    std::vector<int> results;
    for (size_t i = 1; i + 1 < lines.size(); ++i)
        results.push_back(vx_zyra_send_app_line(&h, lines[i].c_str()));

    std::vector<int> expected = {4};
    expected.insert(expected.end(), agent.dataRecords, 0);
    expected.push_back(5);
    expected.push_back(1);
    EXPECT_EQ(results, expected);

    const auto blocks = payloadsSent(wire::FW_DATA_BLOCK);
    ASSERT_EQ(blocks.size(), agent.dataRecords);
    uint32_t address = 0x08005800;
    for (const Bytes &block : blocks) {
        const uint32_t blockAddress = block[4] | block[5] << 8 | block[6] << 16 | uint32_t(block[7]) << 24;
        EXPECT_EQ(blockAddress, address);
        address += static_cast<uint32_t>(block.size() - 8);
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, BootAgentRecords, ::testing::ValuesIn(kAgents),
                         [](const ::testing::TestParamInfo<Agent> &row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zyra_test
