#include "configfreqchannelsdialog.h"

#include "channelplan.h"
#include "highdpi.h"
#include "transmissionmode.h"
#include "ui_configfreqchannelsdialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidgetItem>

#include <algorithm>
#include <vector>

namespace {

const int headerHeight = 28;
const int rowHeight = 24;
const int textColumnWidth = 150;
const int checkBoxMargin = 4;

enum Column {
    FrequencyColumn = 0,
    DfsColumn = 1,
    EnabledColumn = 2
};

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

ConfigFreqChannelsDialog::ConfigFreqChannelsDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ConfigFreqChannelsDialog)
{
    ui->setupUi(this);
    ui->label->setPixmap(highdpi::picture(":/myresources/Images/zyra_logo.png"));
    QHeaderView *header = ui->FreqTable->horizontalHeader();
    header->setFixedHeight(headerHeight);
    header->setSectionResizeMode(QHeaderView::Fixed);
    ui->FreqTable->setColumnWidth(FrequencyColumn, textColumnWidth);
    ui->FreqTable->setColumnWidth(DfsColumn, textColumnWidth);
    ui->FreqTable->setTabKeyNavigation(false);
    ui->FreqTable->setFocusPolicy(Qt::NoFocus);
    ui->FreqTable->setSelectionMode(QAbstractItemView::NoSelection);
    // The style's smallest row can be taller than the rows are meant to be.
    ui->FreqTable->verticalHeader()->setMinimumSectionSize(rowHeight);
}

ConfigFreqChannelsDialog::~ConfigFreqChannelsDialog()
{
    delete ui;
}

void ConfigFreqChannelsDialog::fill(const uint8_t *channels, uint8_t region, uint8_t mode)
{
    checkBoxes.clear();
    ui->FreqTable->setRowCount(0);
    regionCode = region;

    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(region);
    const std::vector<bool> enabled = channelplan::enabledFlags(plan, channels);

    // Broadcast links have no radar detection, so DFS channels stay as stored.
    const bool dfsSwitchable = mode == transmissionmode::unicast;
    ui->unicastWarningLabel->setVisible(dfsSwitchable);
    ui->broadcastWarningLabel->setVisible(!dfsSwitchable);

    for (size_t entry = 0; entry < plan.size(); ++entry) {
        const bool dfs = channelplan::isDfs(plan[entry]);
        addRow(plan[entry].frequency, dfs, enabled[entry], !dfs || dfsSwitchable);
    }
}

void ConfigFreqChannelsDialog::addRow(uint16_t frequency, bool dfs, bool enabled, bool switchable)
{
    const int row = ui->FreqTable->rowCount();
    ui->FreqTable->insertRow(row);
    ui->FreqTable->setRowHeight(row, rowHeight);

    ui->FreqTable->setItem(row, FrequencyColumn, readOnlyItem(QString("%1 MHz").arg(frequency)));
    ui->FreqTable->setItem(row, DfsColumn, readOnlyItem(dfs ? "Yes" : "No"));

    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    auto *checkBox = new QCheckBox;
    checkBox->setChecked(enabled);
    checkBox->setEnabled(switchable);
    layout->addWidget(checkBox);
    layout->setAlignment(Qt::AlignCenter);
    layout->setContentsMargins(checkBoxMargin, checkBoxMargin, checkBoxMargin, checkBoxMargin);
    ui->FreqTable->setCellWidget(row, EnabledColumn, cell);

    checkBoxes.append(checkBox);
}

void ConfigFreqChannelsDialog::collect(uint8_t *channels) const
{
    const std::vector<channelplan::Channel> &plan = channelplan::forRegion(regionCode);
    const size_t rows = std::min(plan.size(), static_cast<size_t>(checkBoxes.size()));
    std::vector<uint16_t> switchedOff;
    for (size_t row = 0; row < rows; ++row)
        if (!checkBoxes[static_cast<int>(row)]->isChecked())
            switchedOff.push_back(plan[row].frequency);
    channelplan::encode(switchedOff, channels);
}

void ConfigFreqChannelsDialog::on_applyButton_clicked()
{
    accept();
}

void ConfigFreqChannelsDialog::on_closeButton_clicked()
{
    reject();
}
