#include "highdpi.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace highdpi {

void enableScaling()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Whole factors only, rounded down at .5: the forms place their widgets
    // in whole pixels and the pictures come at 1x and 2x. A 1920x1080 laptop
    // screen at 150 % stays at 1; rounded up to 2, as Qt 5 does by default,
    // it would be a logical 960x540 that no window fits.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
}

QPixmap picture(const QString &path)
{
    if (qApp && qApp->devicePixelRatio() > 1.0) {
        const QFileInfo file(path);
        const QString sharp = file.path() + "/" + file.completeBaseName() + "@2x." + file.suffix();
        QPixmap pixmap(sharp, "PNG");
        if (!pixmap.isNull())
            return pixmap;
    }
    return QPixmap(path, "PNG");
}

}  // namespace highdpi
