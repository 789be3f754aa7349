#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

namespace guitest {

QStringList visibleWindowClasses()
{
    QStringList classes;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            classes << widget->metaObject()->className();
    classes.sort();
    return classes;
}

QImage resourceImage(const QString &path)
{
    return QPixmap(path, "PNG").toImage();
}

QImage labelImage(const QWidget *label)
{
    const QLabel *typed = qobject_cast<const QLabel *>(label);
    return typed ? typed->pixmap(Qt::ReturnByValue).toImage() : QImage();
}

QImage saveScreenshot(QWidget *window, const QString &name)
{
    QString folder = qEnvironmentVariable("ZYRA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QDir::currentPath();
    QDir().mkpath(folder);
    const QImage shot = window->grab().toImage();
    shot.save(QDir(folder).filePath(name + ".png"), "PNG");
    return shot;
}

bool isBlank(const QImage &image)
{
    if (image.isNull())
        return true;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

bool textIsDrawn(QWidget *window, QWidget *textWidget)
{
    const QRect area(textWidget->mapTo(window, QPoint(0, 0)), textWidget->size());
    const QVariant text = textWidget->property("text");
    const QImage with = window->grab(area).toImage();
    textWidget->setProperty("text", QString());
    const QImage without = window->grab(area).toImage();
    textWidget->setProperty("text", text);
    return !with.isNull() && with != without;
}

ModalAnswerer::ModalAnswerer(const QString &buttonText) : button(buttonText)
{
    QTimer::singleShot(0, this, [this] { poll(); });
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal) {
        QTimer::singleShot(10, this, [this] { poll(); });
        return;
    }
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        seen = box->text();
    for (QAbstractButton *candidate : modal->findChildren<QAbstractButton *>()) {
        if (candidate->text().remove('&') == button) {
            done = true;
            candidate->click();
            return;
        }
    }
    QTimer::singleShot(10, this, [this] { poll(); });
}

}  // namespace guitest
