#include "guitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QStyle>
#include <QTimer>

#include <algorithm>

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

namespace {

bool isPicture(const QLabel *label)
{
    return label->text().isEmpty();
}

// The part of the widget that shows something: a label's text where its
// alignment puts it, or the whole of any other widget.
QRect inkRect(QWidget *widget, QWidget *window)
{
    QRect local = widget->rect();
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const QRect room = label->contentsRect();
        const QSize text(std::min(label->sizeHint().width(), room.width()),
                         label->wordWrap() ? label->heightForWidth(room.width()) : label->sizeHint().height());
        local = QStyle::alignedRect(label->layoutDirection(), label->alignment(), text, room);
    }
    return QRect(widget->mapTo(window, local.topLeft()), local.size());
}

QString cutText(QWidget *widget, QWidget *window)
{
    const QRect shown = QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()).intersected(window->rect());
    QSize needed;
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        needed = label->wordWrap() ? QSize(0, label->heightForWidth(shown.width())) : label->sizeHint();
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        needed =
            QSize(button->fontMetrics().horizontalAdvance(button->text().remove('&')), button->fontMetrics().height());
    }
    if (needed.width() <= shown.width() && needed.height() <= shown.height())
        return QString();
    return QString("%1 (\"%2\") needs %3x%4, shows %5x%6")
        .arg(widget->objectName(), widget->property("text").toString())
        .arg(needed.width())
        .arg(needed.height())
        .arg(shown.width())
        .arg(shown.height());
}

}  // namespace

QStringList layoutFaults(QWidget *window)
{
    QList<QWidget *> shown;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(widget);
        const bool texted = (label && !isPicture(label)) || qobject_cast<QAbstractButton *>(widget);
        if (texted && widget->isVisibleTo(window))
            shown << widget;
    }
    QStringList faults;
    for (int index = 0; index < shown.size(); ++index) {
        const QString cut = cutText(shown[index], window);
        if (!cut.isEmpty())
            faults << "cut: " + cut;
        for (int other = index + 1; other < shown.size(); ++other)
            if (inkRect(shown[index], window).intersects(inkRect(shown[other], window)))
                faults << QString("overlap: %1 and %2").arg(shown[index]->objectName(), shown[other]->objectName());
    }
    return faults;
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
