#include <QApplication>
#include <QIcon>

#include "dashboard.h"
#include "highdpi.h"

int main(int argc, char *argv[])
{
    highdpi::enableScaling();
    QApplication application(argc, argv);
    application.setWindowIcon(QIcon(":/icons/Images/appIcon.png"));
    DashBoard window;
    return application.exec();
}
