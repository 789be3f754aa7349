// Which attached radio and video module are the chosen unit's, told by the
// hub they share, and the benches on which a run may not start.
#include "unitbench.h"

#include <gtest/gtest.h>

namespace {

struct BenchRow {
    const char *name;
    QStringList radios;
    QStringList modules;
    const char *chosen;
    UnitBench::Choice choice;
    const char *radio;   // radioOf(chosen)
    const char *module;  // moduleOf(chosen)
};

void PrintTo(const BenchRow &row, std::ostream *out)
{
    *out << row.name;
}

class UnitBenchChoice : public testing::TestWithParam<BenchRow>
{
};

TEST_P(UnitBenchChoice, BindsByTheHubOrRefuses)
{
    const BenchRow &row = GetParam();
    const UnitBench bench(row.radios, row.modules);
    EXPECT_EQ(bench.check(row.chosen), row.choice);
    EXPECT_EQ(bench.radioOf(row.chosen), row.radio);
    EXPECT_EQ(bench.moduleOf(row.chosen), row.module);
}

using Choice = UnitBench::Choice;

const BenchRow benchRows[] = {
    {"OneUnitNoneChosen", {"1-1.1"}, {}, "", Choice::sound, "", ""},
    {"RadioAndModuleOfOneUnit", {"1-1.1"}, {"1-1.2"}, "", Choice::sound, "", ""},
    {"TwoUnitsNoneChosen", {"1-1.1", "1-2.1"}, {}, "", Choice::ambiguous, "", ""},
    {"AUnitAndAnotherModule", {"1-1.1"}, {"1-2.2"}, "", Choice::ambiguous, "", ""},
    {"ModuleOfTheChosenRadio", {"1-1.1"}, {"1-1.2", "1-2.2"}, "1-1.1", Choice::sound, "1-1.1", "1-1.2"},
    {"RadioOfTheChosenModule", {"1-1.1", "1-2.1"}, {"1-2.2"}, "1-2.2", Choice::sound, "1-2.1", "1-2.2"},
    {"RadioAwayWhileItsModuleWaits", {"1-1.1"}, {"1-2.2"}, "1-2.1", Choice::sound, "", "1-2.2"},
    {"TwoModulesBehindTheHub", {"1-1.1"}, {"1-1.2", "1-1.3"}, "1-1.1", Choice::ambiguous, "1-1.1", ""},
    {"OneOfTwoModulesChosen", {}, {"1-1.2", "1-1.3"}, "1-1.3", Choice::sound, "", "1-1.3"},
    {"NothingBehindTheHub", {"1-1.1"}, {"1-1.2"}, "1-3.1", Choice::away, "", ""},
    // A unit at a root port has no hub of its own to share.
    {"AtRootPorts", {"1-1", "1-2"}, {}, "1-2", Choice::sound, "1-2", ""},
};

INSTANTIATE_TEST_SUITE_P(Benches, UnitBenchChoice, testing::ValuesIn(benchRows),
                         [](const testing::TestParamInfo<BenchRow> &row) { return std::string(row.param.name); });

}  // namespace
