// The region, frequency and transmission mode dialogs on their own: their
// forms, how they show a stored value and what they give back.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <vector>

#include "guitest.h"
#include "settings/configfreqchannelsdialog.h"
#include "settings/configtransmissionmodedialog.h"
#include "settings/configuration.h"

namespace {

using Stored = std::vector<uint8_t>;

// A rich-text label as the user reads it, line by line.
QStringList shownLines(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText().replace(QChar(0xA0), ' ').split('\n');
}

bool allItalic(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (!fragment.fragment().charFormat().fontItalic() && !fragment.fragment().text().trimmed().isEmpty())
                return false;
    return true;
}

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int index = 0; index < combo->count(); ++index)
        items << combo->itemText(index);
    return items;
}

Stored pairsFor(const std::vector<int> &frequencies)
{
    Stored stored(28, 0);
    for (size_t pair = 0; pair < frequencies.size(); ++pair) {
        stored[2 * pair] = static_cast<uint8_t>((frequencies[pair] - 4910) / 5);
        stored[2 * pair + 1] = static_cast<uint8_t>((frequencies[pair] - 4890) / 5);
    }
    return stored;
}

}  // namespace

class SettingsDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void regionFormHasItsTextsAndChoices();
    void regionWarningNamesTheLicenceLink();
    void regionCodeSelectsCountryAndPlacement_data();
    void regionCodeSelectsCountryAndPlacement();
    void codeOutsideTheTableKeepsTheShownChoice();
    void placementIsChosenOnlyOn2KUnits();
    void licenceLinkAsksForTheAboutBox();

    void modeFormHasItsTextsAndExplanations();
    void storedModeSelectsUnicastOnlyFor4_data();
    void storedModeSelectsUnicastOnlyFor4();
    void choosingAModeSwapsTheExplanationAtOnce();

    void frequencyFormHasItsTextsAndTable();
    void eachRegionPlanFillsTheTableAndRoundTrips_data();
    void eachRegionPlanFillsTheTableAndRoundTrips();
    void storedPairsUncheckTheirRows();
    void uncheckedRowsAreCollectedInTableOrder();
    void broadcastLocksDfsRowsInTheirStoredState();
    void sixteenUncheckedRowsRecordFourteen();
    void refillingReplacesTheRows();

    void textsFitTheirPlacesAndAreDrawn();
};

void SettingsDialogsTest::regionFormHasItsTextsAndChoices()
{
    Configuration dialog;
    QCOMPARE(dialog.windowTitle(), QString("Region Selection"));
    QCOMPARE(dialog.findChild<QGroupBox *>("AreaGroupBox")->title(), QString("Select Region:"));
    QVERIFY(dialog.findChild<QGroupBox *>("AreaGroupBox")->styleSheet().contains("font-size: 14px"));
    QCOMPARE(comboItems(dialog.findChild<QComboBox *>("countryComboBox")), (QStringList{"USA", "Europe", "Japan"}));
    QCOMPARE(comboItems(dialog.findChild<QComboBox *>("indoorComboBox")), (QStringList{"Indoors", "Outdoors"}));
    QCOMPARE(dialog.findChild<QPushButton *>("applyButton")->text(), QString("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>("closeButton")->text(), QString("Cancel"));
    QVERIFY2(!dialog.findChild<QLabel *>("label")->pixmap(Qt::ReturnByValue).isNull(), "the logo is shown");
}

void SettingsDialogsTest::regionWarningNamesTheLicenceLink()
{
    Configuration dialog;
    auto *warning = dialog.findChild<QLabel *>("warningLabel");
    QCOMPARE(shownLines(warning), (QStringList{"* TX and RX devices must use the same area settings.",
                                               "* Corvane, LLC is not liable for any misuse of this option",
                                               "   (please see the License Agreement for more information)."}));
    QVERIFY(allItalic(warning));
    QTextDocument document;
    document.setHtml(warning->text());
    bool linkFound = false;
    for (auto fragment = document.begin().begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        if (fragment.fragment().text() != "License Agreement")
            continue;
        linkFound = true;
        QCOMPARE(format.anchorHref(), QString("license"));
        QVERIFY(format.fontUnderline());
        QCOMPARE(format.foreground().color(), QColor(Qt::blue));
    }
    QVERIFY2(linkFound, "the licence link text is shown on its own");
}

void SettingsDialogsTest::regionCodeSelectsCountryAndPlacement_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("placement");
    QTest::newRow("4") << 4 << "USA"
                       << "Indoors";
    QTest::newRow("3") << 3 << "Europe"
                       << "Indoors";
    QTest::newRow("2") << 2 << "Japan"
                       << "Indoors";
    QTest::newRow("9") << 9 << "USA"
                       << "Outdoors";
    QTest::newRow("8") << 8 << "Europe"
                       << "Outdoors";
    QTest::newRow("7") << 7 << "Japan"
                       << "Outdoors";
}

void SettingsDialogsTest::regionCodeSelectsCountryAndPlacement()
{
    QFETCH(int, code);
    QFETCH(QString, country);
    QFETCH(QString, placement);
    Configuration dialog;
    // Start from the opposite choice so that every code has to move both boxes.
    dialog.findChild<QComboBox *>("countryComboBox")->setCurrentIndex(country == "Japan" ? 0 : 2);
    dialog.findChild<QComboBox *>("indoorComboBox")->setCurrentIndex(placement == "Indoors" ? 1 : 0);

    dialog.setRegion(static_cast<uint8_t>(code), 4);

    QCOMPARE(dialog.findChild<QComboBox *>("countryComboBox")->currentText(), country);
    QCOMPARE(dialog.findChild<QComboBox *>("indoorComboBox")->currentText(), placement);
    QCOMPARE(dialog.region(), code);
}

void SettingsDialogsTest::codeOutsideTheTableKeepsTheShownChoice()
{
    Configuration dialog;
    dialog.setRegion(8, 5);
    dialog.setRegion(5, 5);
    QCOMPARE(dialog.findChild<QComboBox *>("countryComboBox")->currentText(), QString("Europe"));
    QCOMPARE(dialog.findChild<QComboBox *>("indoorComboBox")->currentText(), QString("Outdoors"));
    QCOMPARE(dialog.region(), 8);
}

void SettingsDialogsTest::placementIsChosenOnlyOn2KUnits()
{
    Configuration dialog;
    auto *placement = dialog.findChild<QComboBox *>("indoorComboBox");
    for (int type = 0; type < 6; ++type) {
        dialog.setRegion(9, type);
        QCOMPARE(placement->isEnabled(), type == 4 || type == 5);
    }
    // Disabled on an HDMI unit, the Outdoors shown before still counts.
    dialog.setRegion(11, 0);
    QVERIFY(!placement->isEnabled());
    QCOMPARE(dialog.region(), 9);
    dialog.findChild<QComboBox *>("countryComboBox")->setCurrentIndex(2);
    QCOMPARE(dialog.region(), 7);
}

void SettingsDialogsTest::licenceLinkAsksForTheAboutBox()
{
    Configuration dialog;
    QSignalSpy about(&dialog, SIGNAL(openAboutDialog()));
    QMetaObject::invokeMethod(dialog.findChild<QLabel *>("warningLabel"), "linkActivated", Q_ARG(QString, "license"));
    QMetaObject::invokeMethod(dialog.findChild<QLabel *>("warningLabel"), "linkActivated", Q_ARG(QString, "anything"));
    QCOMPARE(about.count(), 2);
}

void SettingsDialogsTest::modeFormHasItsTextsAndExplanations()
{
    configTransmissionModeDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("Transmission Mode"));
    QCOMPARE(dialog.findChild<QGroupBox *>("AreaGroupBox")->title(), QString("Select Transmission Mode:"));
    QCOMPARE(comboItems(dialog.findChild<QComboBox *>("transmissionModeComboBox")),
             (QStringList{"Unicast", "Broadcast"}));
    auto *unicast = dialog.findChild<QLabel *>("unicastWarningLabel");
    auto *broadcast = dialog.findChild<QLabel *>("broadcastWarningLabel");
    QCOMPARE(
        shownLines(unicast),
        (QStringList{"Unicast mode:", "* Zyra 2000 TX communicates with one Zyra 2000 RX.",
                     "* While connected, both devices automatically change frequency based", "   on their environment.",
                     "* Zyra will use typically less-crowded DFS channels in this mode.",
                     "* While in unicast mode, if one device is powered down, the other must also",
                     "   be powered down before video transmission can be re-established."}));
    QCOMPARE(shownLines(broadcast),
             (QStringList{"Broadcast mode:", "* Zyra 2000 TX communicates with up to four Zyra 2000 RX devices.",
                          "* The TX selects a channel when powered up, receivers scan available",
                          "   channels until finding their paired TX.",
                          "* There is no two-way communication in this mode, so devices can be",
                          "   powered up or down without affecting others.",
                          "* DFS channels can not be used in Broadcast mode."}));
    QVERIFY(allItalic(unicast) && allItalic(broadcast));
    QCOMPARE(unicast->geometry(), broadcast->geometry());
    QTextDocument document;
    document.setHtml(unicast->text());
    QVERIFY2(document.begin().begin().fragment().charFormat().fontWeight() == QFont::Bold, "the heading is bold");
}

void SettingsDialogsTest::storedModeSelectsUnicastOnlyFor4_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("written");
    QTest::newRow("unicast") << 4 << "Unicast" << 4;
    QTest::newRow("broadcast") << 2 << "Broadcast" << 2;
    QTest::newRow("zero") << 0 << "Broadcast" << 2;
    QTest::newRow("three") << 3 << "Broadcast" << 2;
}

void SettingsDialogsTest::storedModeSelectsUnicastOnlyFor4()
{
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, written);
    configTransmissionModeDialog dialog;
    dialog.setMode(stored == 4 ? 2 : 4);
    dialog.setMode(static_cast<uint8_t>(stored));

    QCOMPARE(dialog.findChild<QComboBox *>("transmissionModeComboBox")->currentText(), shown);
    QCOMPARE(dialog.findChild<QLabel *>("unicastWarningLabel")->isHidden(), shown != "Unicast");
    QCOMPARE(dialog.findChild<QLabel *>("broadcastWarningLabel")->isHidden(), shown == "Unicast");
    QCOMPARE(int(dialog.mode()), written);
}

void SettingsDialogsTest::choosingAModeSwapsTheExplanationAtOnce()
{
    configTransmissionModeDialog dialog;
    dialog.setMode(4);
    dialog.show();
    auto *combo = dialog.findChild<QComboBox *>("transmissionModeComboBox");
    auto *unicast = dialog.findChild<QLabel *>("unicastWarningLabel");
    auto *broadcast = dialog.findChild<QLabel *>("broadcastWarningLabel");

    QTest::keyClick(combo, Qt::Key_Down);
    QVERIFY(!unicast->isVisible() && broadcast->isVisible());
    QCOMPARE(int(dialog.mode()), 2);
    QTest::keyClick(combo, Qt::Key_Up);
    QVERIFY(unicast->isVisible() && !broadcast->isVisible());
    QCOMPARE(int(dialog.mode()), 4);
}

void SettingsDialogsTest::frequencyFormHasItsTextsAndTable()
{
    ConfigFreqChannelsDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("Frequency Selection"));
    QCOMPARE(dialog.findChild<QGroupBox *>("FreqGroupBox")->title(), QString("Select Frequencies:"));
    QCOMPARE(shownLines(dialog.findChild<QLabel *>("warningLabel")),
             QStringList{"* Select the same frequencies on TX and RX for best performance."});
    QCOMPARE(shownLines(dialog.findChild<QLabel *>("broadcastWarningLabel")),
             QStringList{"* DFS frequencies are not available in Broadcast Transmission Mode."});
    QCOMPARE(shownLines(dialog.findChild<QLabel *>("unicastWarningLabel")),
             (QStringList{"* DFS channels must be scanned for 1 minute before they are", "used for transmission."}));

    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    QCOMPARE(table->columnCount(), 3);
    QStringList headers;
    for (int column = 0; column < 3; ++column)
        headers << table->horizontalHeaderItem(column)->text();
    QCOMPARE(headers, (QStringList{"Frequencies", "DFS", "Enabled"}));
    QCOMPARE(table->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(table->alternatingRowColors());
    QVERIFY(!table->isCornerButtonEnabled());
    QVERIFY(!table->horizontalHeader()->highlightSections());
    QVERIFY(table->horizontalHeader()->stretchLastSection());
    QVERIFY(table->verticalHeader()->isHidden());
    QCOMPARE(table->horizontalHeader()->height(), 28);
    QCOMPARE(table->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QCOMPARE(table->columnWidth(0), 150);
    QCOMPARE(table->columnWidth(1), 150);
    QVERIFY(!table->tabKeyNavigation());
    QCOMPARE(table->focusPolicy(), Qt::NoFocus);
    QCOMPARE(table->selectionMode(), QAbstractItemView::NoSelection);
}

void SettingsDialogsTest::eachRegionPlanFillsTheTableAndRoundTrips_data()
{
    QTest::addColumn<int>("region");
    QTest::addColumn<QString>("rows");
    const QString usa = "5190 N,5230 N,5270 Y,5310 Y,5510 Y,5550 Y,5670 Y,5755 N,5795 N";
    QTest::newRow("2") << 2 << "5190 N,5230 N,5270 Y,5310 Y,5510 Y,5550 Y,5590 Y,5630 Y,5670 Y";
    QTest::newRow("3") << 3 << "5190 N,5230 N,5270 Y,5310 Y,5510 Y,5550 Y,5590 Y,5630 Y,5670 Y";
    QTest::newRow("4") << 4 << usa;
    QTest::newRow("5") << 5
                       << "5150 N,5190 N,5230 N,5270 N,5310 N,5350 N,5390 N,5430 N,5470 N,5510 N,5550 N,"
                          "5590 N,5630 N,5670 N,5755 N,5795 N";
    QTest::newRow("6") << 6 << "5190 N,5230 N,5270 Y,5310 Y,5510 Y,5550 Y,5590 Y,5630 Y,5670 Y,5755 N,5795 N";
    QTest::newRow("7") << 7 << "5510 Y,5550 Y,5590 Y,5630 Y,5670 Y";
    QTest::newRow("8") << 8 << "5510 Y,5550 Y,5590 Y,5630 Y,5670 Y";
    QTest::newRow("9") << 9 << "5270 Y,5310 Y,5510 Y,5550 Y,5670 Y,5755 N,5795 N";
    QTest::newRow("11") << 11 << "5190 N,5230 N,5270 Y,5310 Y,5510 Y,5550 Y,5590 Y,5630 Y,5670 Y,5755 N,5795 N,5835 N";
    QTest::newRow("unlisted 1") << 1 << usa;
    QTest::newRow("unlisted 10") << 10 << usa;
}

void SettingsDialogsTest::eachRegionPlanFillsTheTableAndRoundTrips()
{
    QFETCH(int, region);
    QFETCH(QString, rows);
    ConfigFreqChannelsDialog dialog;
    const Stored zeros(28, 0);
    dialog.fill(zeros.data(), static_cast<uint8_t>(region), 4);

    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    QStringList shown;
    for (int row = 0; row < table->rowCount(); ++row) {
        shown << table->item(row, 0)->text().remove(" MHz") + " " + table->item(row, 1)->text().left(1);
        QCOMPARE(table->item(row, 0)->text(), table->item(row, 0)->text().left(4) + " MHz");
        QVERIFY2(!(table->item(row, 0)->flags() & Qt::ItemIsEditable), "frequencies are not editable");
        QVERIFY2(!(table->item(row, 1)->flags() & Qt::ItemIsEditable), "DFS marks are not editable");
        QCOMPARE(table->rowHeight(row), 24);
        auto *box = table->cellWidget(row, 2)->findChild<QCheckBox *>();
        QVERIFY2(box && box->isChecked() && box->isEnabled(), "a zero list leaves every channel on");
    }
    QCOMPARE(shown.join(","), rows);

    // Each channel switched off alone reads back alone and is stored again as it came.
    for (int off = 0; off < table->rowCount(); ++off) {
        const Stored stored = pairsFor({table->item(off, 0)->text().left(4).toInt()});
        dialog.fill(stored.data(), static_cast<uint8_t>(region), 4);
        for (int row = 0; row < table->rowCount(); ++row)
            QCOMPARE(table->cellWidget(row, 2)->findChild<QCheckBox *>()->isChecked(), row != off);
        Stored collected(28, 0xEE);
        dialog.collect(collected.data());
        QCOMPARE(collected, stored);
    }
}

void SettingsDialogsTest::storedPairsUncheckTheirRows()
{
    ConfigFreqChannelsDialog dialog;
    // 5590 is not in region 4's plan: its pair is ignored.
    const Stored stored = pairsFor({5190, 5590, 5670});
    dialog.fill(stored.data(), 4, 4);

    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    QStringList off;
    for (int row = 0; row < table->rowCount(); ++row)
        if (!table->cellWidget(row, 2)->findChild<QCheckBox *>()->isChecked())
            off << table->item(row, 0)->text();
    QCOMPARE(off, (QStringList{"5190 MHz", "5670 MHz"}));
}

void SettingsDialogsTest::uncheckedRowsAreCollectedInTableOrder()
{
    ConfigFreqChannelsDialog dialog;
    const Stored zeros(28, 0);
    dialog.fill(zeros.data(), 4, 4);
    dialog.show();
    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    // Unchecked in the opposite order: the list still follows the table.
    for (int row : {6, 0}) {
        auto *box = table->cellWidget(row, 2)->findChild<QCheckBox *>();
        table->scrollToItem(table->item(row, 0));
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
    }

    Stored collected(28, 0xEE);
    dialog.collect(collected.data());
    QCOMPARE(collected, pairsFor({5190, 5670}));
    QCOMPARE(Stored(collected.begin(), collected.begin() + 4), (Stored{0x38, 0x3C, 0x98, 0x9C}));
}

void SettingsDialogsTest::broadcastLocksDfsRowsInTheirStoredState()
{
    ConfigFreqChannelsDialog dialog;
    const Stored stored = pairsFor({5190, 5270});
    dialog.fill(stored.data(), 4, 2);
    dialog.show();

    QVERIFY(dialog.findChild<QLabel *>("broadcastWarningLabel")->isVisible());
    QVERIFY(!dialog.findChild<QLabel *>("unicastWarningLabel")->isVisible());
    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    for (int row = 0; row < table->rowCount(); ++row) {
        auto *box = table->cellWidget(row, 2)->findChild<QCheckBox *>();
        QCOMPARE(box->isEnabled(), table->item(row, 1)->text() == "No");
    }
    auto *dfsOff = table->cellWidget(2, 2)->findChild<QCheckBox *>();
    QCOMPARE(table->item(2, 0)->text(), QString("5270 MHz"));
    QVERIFY2(!dfsOff->isChecked(), "a DFS channel keeps its stored state");
    QTest::mouseClick(dfsOff, Qt::LeftButton);
    QVERIFY(!dfsOff->isChecked());

    Stored collected(28, 0);
    dialog.collect(collected.data());
    QCOMPARE(collected, stored);

    dialog.fill(stored.data(), 4, 4);
    QVERIFY(!dialog.findChild<QLabel *>("broadcastWarningLabel")->isVisible());
    QVERIFY(dialog.findChild<QLabel *>("unicastWarningLabel")->isVisible());
    QVERIFY(table->cellWidget(2, 2)->findChild<QCheckBox *>()->isEnabled());
}

void SettingsDialogsTest::sixteenUncheckedRowsRecordFourteen()
{
    ConfigFreqChannelsDialog dialog;
    const Stored zeros(28, 0);
    dialog.fill(zeros.data(), 5, 4);
    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    QCOMPARE(table->rowCount(), 16);
    for (int row = 0; row < table->rowCount(); ++row)
        table->cellWidget(row, 2)->findChild<QCheckBox *>()->setChecked(false);

    Stored collected(28, 0);
    dialog.collect(collected.data());
    QCOMPARE(collected, pairsFor({5150, 5190, 5230, 5270, 5310, 5350, 5390, 5430, 5470, 5510, 5550, 5590, 5630, 5670}));
}

void SettingsDialogsTest::refillingReplacesTheRows()
{
    ConfigFreqChannelsDialog dialog;
    const Stored zeros(28, 0);
    dialog.fill(zeros.data(), 5, 4);
    dialog.fill(zeros.data(), 7, 4);
    auto *table = dialog.findChild<QTableWidget *>("FreqTable");
    QCOMPARE(table->rowCount(), 5);
    table->cellWidget(4, 2)->findChild<QCheckBox *>()->setChecked(false);

    Stored collected(28, 0);
    dialog.collect(collected.data());
    QCOMPARE(collected, pairsFor({5670}));
}

void SettingsDialogsTest::textsFitTheirPlacesAndAreDrawn()
{
    Configuration region;
    region.setRegion(9, 4);
    configTransmissionModeDialog unicast;
    unicast.setMode(4);
    configTransmissionModeDialog broadcast;
    broadcast.setMode(2);
    ConfigFreqChannelsDialog frequencies;
    const Stored stored = pairsFor({5270});
    frequencies.fill(stored.data(), 11, 2);
    const std::pair<QDialog *, QString> shots[] = {{&region, "settings_region"},
                                                   {&unicast, "settings_mode_unicast"},
                                                   {&broadcast, "settings_mode_broadcast"},
                                                   {&frequencies, "settings_frequencies"}};
    for (const auto &[dialog, name] : shots) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        for (QLabel *label : dialog->findChildren<QLabel *>()) {
            if (!label->isVisible() || !label->pixmap(Qt::ReturnByValue).isNull())
                continue;
            const QSize needed = label->sizeHint();
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(QString("%1 of %2 needs %3x%4, has %5x%6")
                                    .arg(label->objectName(), name)
                                    .arg(needed.width())
                                    .arg(needed.height())
                                    .arg(label->width())
                                    .arg(label->height())));
            QVERIFY2(guitest::textIsDrawn(dialog, label), qPrintable(label->objectName() + " shows no text"));
        }
        QVERIFY(!guitest::isBlank(guitest::saveScreenshot(dialog, name)));
    }
}

QTEST_MAIN(SettingsDialogsTest)
#include "settingsdialogs_test.moc"
