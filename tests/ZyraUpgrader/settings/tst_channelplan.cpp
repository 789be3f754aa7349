// The stored list of switched-off channels, both ways, for every region's plan.
#include <QtTest>

#include <vector>

#include "channelplan.h"

namespace {

using Stored = std::vector<uint8_t>;

Stored encoded(const std::vector<uint16_t> &switchedOff)
{
    Stored stored(channelplan::storedBytes, 0xEE);
    channelplan::encode(switchedOff, stored.data());
    return stored;
}

std::vector<uint16_t> frequencies(const std::vector<channelplan::Channel> &plan)
{
    std::vector<uint16_t> result;
    for (const channelplan::Channel &channel : plan)
        result.push_back(channel.frequency);
    return result;
}

} // namespace

class ChannelPlanTest : public QObject
{
    Q_OBJECT

private slots:
    void regions_data();
    void eachChannelSwitchedOffAloneReadsBackAlone_data() { regions_data(); }
    void eachChannelSwitchedOffAloneReadsBackAlone();
    void wholePlanSwitchedOffReadsBackUpTo14_data() { regions_data(); }
    void wholePlanSwitchedOffReadsBackUpTo14();

    void pairsFollowTheCentreFrequency();
    void zeroPairsAndUnknownFrequenciesSwitchNothingOff();
    void onlyTheFirst14AreRecorded();
    void unknownRegionGetsThePlanOfRegion4();
    void dfsClassesOneAndTwoAreDfs();
};

void ChannelPlanTest::regions_data()
{
    QTest::addColumn<int>("region");
    QTest::addColumn<int>("entries");
    for (auto [region, entries] : {std::pair{2, 9}, {3, 9}, {4, 9}, {5, 16}, {6, 11}, {7, 5}, {8, 5}, {9, 7}, {11, 12}})
        QTest::addRow("region %d", region) << region << entries;
}

void ChannelPlanTest::eachChannelSwitchedOffAloneReadsBackAlone()
{
    QFETCH(int, region);
    QFETCH(int, entries);
    const auto &plan = channelplan::forRegion(static_cast<uint8_t>(region));
    QCOMPARE(int(plan.size()), entries);

    for (size_t off = 0; off < plan.size(); ++off) {
        const Stored stored = encoded({plan[off].frequency});
        std::vector<bool> expected(plan.size(), true);
        expected[off] = false;
        QVERIFY2(channelplan::enabledFlags(plan, stored.data()) == expected,
                 qPrintable(QString("only %1 MHz should read back as off").arg(plan[off].frequency)));
        QVERIFY2(Stored(stored.begin() + 2, stored.end()) == Stored(26, 0), "unused pairs are zero");
    }
}

void ChannelPlanTest::wholePlanSwitchedOffReadsBackUpTo14()
{
    QFETCH(int, region);
    const auto &plan = channelplan::forRegion(static_cast<uint8_t>(region));
    const Stored stored = encoded(frequencies(plan));

    const std::vector<bool> flags = channelplan::enabledFlags(plan, stored.data());
    for (size_t entry = 0; entry < plan.size(); ++entry)
        QCOMPARE(bool(flags[entry]), entry >= channelplan::maxSwitchedOff);
}

void ChannelPlanTest::pairsFollowTheCentreFrequency()
{
    QCOMPARE(encoded({5190, 5670}), (Stored{0x38, 0x3C, 0x98, 0x9C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                            0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const Stored highest = encoded({5835});
    QCOMPARE(highest[0], uint8_t(185));
    QCOMPARE(highest[1], uint8_t(189));
    QCOMPARE(channelplan::frequencyOfPair(185, 189), uint16_t(5835));
}

void ChannelPlanTest::zeroPairsAndUnknownFrequenciesSwitchNothingOff()
{
    const auto &plan = channelplan::forRegion(4);
    QCOMPARE(channelplan::frequencyOfPair(0, 0), uint16_t(4900));
    const Stored zeros(channelplan::storedBytes, 0);
    QVERIFY(channelplan::enabledFlags(plan, zeros.data()) == std::vector<bool>(plan.size(), true));

    const Stored absent = encoded({5590, 5150}); // neither is in region 4's plan
    QVERIFY(channelplan::enabledFlags(plan, absent.data()) == std::vector<bool>(plan.size(), true));
}

void ChannelPlanTest::onlyTheFirst14AreRecorded()
{
    const std::vector<uint16_t> all = frequencies(channelplan::forRegion(5));
    QCOMPARE(all.size(), size_t(16));
    QCOMPARE(encoded(all), encoded(std::vector<uint16_t>(all.begin(), all.begin() + 14)));
    const Stored stored = encoded(all);
    QCOMPARE(channelplan::frequencyOfPair(stored[26], stored[27]), uint16_t(5670));
}

void ChannelPlanTest::unknownRegionGetsThePlanOfRegion4()
{
    const std::vector<uint16_t> usa = {5190, 5230, 5270, 5310, 5510, 5550, 5670, 5755, 5795};
    QVERIFY(frequencies(channelplan::forRegion(4)) == usa);
    QVERIFY(frequencies(channelplan::forRegion(0)) == usa);
    QVERIFY(frequencies(channelplan::forRegion(10)) == usa);
    QVERIFY(frequencies(channelplan::forRegion(255)) == usa);
}

void ChannelPlanTest::dfsClassesOneAndTwoAreDfs()
{
    QVERIFY(!channelplan::isDfs({5190, 0}));
    QVERIFY(channelplan::isDfs({5270, 1}));
    QVERIFY(channelplan::isDfs({5590, 2}));
    QVERIFY(!channelplan::isDfs({5755, 3}));
}

QTEST_APPLESS_MAIN(ChannelPlanTest)
#include "tst_channelplan.moc"
