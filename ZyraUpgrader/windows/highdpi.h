// What the windows do for screens of high pixel density: Qt scales every
// window by the screen's factor, and pictures come at 1x and 2x.
#pragma once

#include <QPixmap>
#include <QString>

namespace highdpi {

// Before the QApplication is made.
void enableScaling();

// The resource picture at "path" ("name.png"), from its 2x rendering
// ("name@2x.png") when the screens are scaled.
QPixmap picture(const QString &path);

}  // namespace highdpi
