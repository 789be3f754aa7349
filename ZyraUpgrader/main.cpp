#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>

#include "dashboard.h"
#include "highdpi.h"

int main(int argc, char *argv[])
{
    highdpi::enableScaling();
    QApplication application(argc, argv);
    // The worker's and windows' traces are for developers; QT_LOGGING_RULES
    // (say "*.debug=true") brings them back.
    QLoggingCategory::setFilterRules("*.debug=false");
    application.setWindowIcon(QIcon(":/icons/Images/appIcon.png"));
    DashBoard window;
    return application.exec();
}
