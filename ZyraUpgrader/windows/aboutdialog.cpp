#include "aboutdialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QLabel>

#include "highdpi.h"
#include "ui_aboutdialog.h"
#include "vx_zyra_version.h"

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    ui->label_3->setPixmap(highdpi::picture(":/icons/Images/appIcon.png"));
    ui->verticalLayout->setAlignment(ui->utilityVersionLabel, Qt::AlignCenter);
    ui->verticalLayout->setAlignment(ui->label_3, Qt::AlignCenter);
    // Below the package's version, the program's own, as zyra-upgrader --version and zyra --version give it.
    auto *programVersion = new QLabel(QString("Program version %1").arg(VX_ZYRA_VERSION_STRING), this);
    programVersion->setObjectName("programVersionLabel");
    programVersion->setStyleSheet(ui->utilityVersionLabel->styleSheet());
    ui->verticalLayout->insertWidget(ui->verticalLayout->indexOf(ui->utilityVersionLabel) + 1, programVersion, 0,
                                     Qt::AlignCenter);
    loadLicense();
    connect(ui->aboutDialogPushButton, SIGNAL(clicked()), this, SLOT(hide()));
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::setVersion(QString version)
{
    ui->utilityVersionLabel->setText(QString("ZYRA UTILITY Version %1").arg(version));
    // 18 pt at 96 dpi, in pixels as every form's text: Qt scales pixels with
    // the screen, while points grew with the dpi on top of that.
    ui->utilityVersionLabel->setStyleSheet("font-size: 24px; font-family: \"Arial\";");
}

void AboutDialog::loadLicense()
{
    QFile license(QCoreApplication::applicationDirPath() + "/../licenses/LICENSE.TXT");
    if (!license.open(QIODevice::ReadOnly)) {
        qDebug() << "Error Openning Licenses File";
        ui->textBrowser->setText(QCoreApplication::applicationDirPath());
        return;
    }
    const QByteArray bytes = license.readAll();
    // A stray NUL ends the text, as a C string would.
    const int end = bytes.indexOf('\0');
    ui->textBrowser->setText(QString::fromUtf8(end < 0 ? bytes : bytes.left(end)));
}
