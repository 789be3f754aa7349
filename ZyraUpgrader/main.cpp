#include <QApplication>
#include <QIcon>

#include "dashboard.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    application.setWindowIcon(QIcon(":/icons/Images/appIcon.png"));
    DashBoard window;
    return application.exec();
}
