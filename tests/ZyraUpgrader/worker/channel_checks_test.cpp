// The checks a new list of switched-off channels passes before it is
// stored: region 4's plan, with 5670 MHz (DFS) stored as switched off.
#include "channelplan.h"

#include <gtest/gtest.h>

namespace {

struct CheckRow {
    const char *name;
    std::vector<uint16_t> switchedOff;
    bool broadcast;
    channelplan::Refusal expected;
};

void PrintTo(const CheckRow &row, std::ostream *out)
{
    *out << row.name;
}

class ChannelChecks : public testing::TestWithParam<CheckRow>
{
};

TEST_P(ChannelChecks, RefuseWhatTheDialogRefuses)
{
    const CheckRow &row = GetParam();
    uint8_t stored[channelplan::storedBytes];
    channelplan::encode({5670}, stored);
    EXPECT_EQ(channelplan::checkSwitchedOff(channelplan::forRegion(4), stored, row.switchedOff, row.broadcast),
              row.expected);
}

using channelplan::Refusal;

INSTANTIATE_TEST_SUITE_P(Region4, ChannelChecks,
                         testing::Values(CheckRow{"unicast_any_channel", {5190, 5270}, false, Refusal::none},
                                         CheckRow{"broadcast_keeps_dfs_as_stored", {5190, 5670}, true, Refusal::none},
                                         CheckRow{"broadcast_dfs_switched_off", {5270, 5670}, true, Refusal::dfsLocked},
                                         CheckRow{"broadcast_dfs_switched_on", {5190}, true, Refusal::dfsLocked},
                                         CheckRow{"outside_the_plan", {5180}, false, Refusal::notInPlan},
                                         CheckRow{"fourteen", std::vector<uint16_t>(14, 5190), false, Refusal::none},
                                         CheckRow{"fifteen", std::vector<uint16_t>(15, 5190), false, Refusal::tooMany}),
                         [](const testing::TestParamInfo<CheckRow> &param) { return std::string(param.param.name); });

}  // namespace
