// Helpers shared by the program's window tests.
#pragma once

#include <QApplication>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace guitest {

// Top-level windows currently visible, by class name.
QStringList visibleWindowClasses();

template <class T>
T *topLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (T *typed = qobject_cast<T *>(widget))
            return typed;
    return nullptr;
}

// The pixels of a resource picture as a label would show them.
QImage resourceImage(const QString &path);
QImage labelImage(const QWidget *label);

// Grabs the window and saves it as <name>.png in the screenshot folder
// (ZYRA_SCREENSHOT_DIR, else the working directory); returns the grab.
QImage saveScreenshot(QWidget *window, const QString &name);
// Every pixel of the same colour.
bool isBlank(const QImage &image);
// The widget's text leaves pixels in the window: its area differs from the
// same area rendered with the text taken away.
bool textIsDrawn(QWidget *window, QWidget *textWidget);

// What a person would find wrong with the window as it stands: a text cut
// by its widget or by the window's edge, or a button or text lying over
// another (pictures excepted). Empty when every text is whole and apart.
QStringList layoutFaults(QWidget *window);

// Answers the next modal box (message box or dialog) with the button whose
// text is given, as soon as it appears; records the box's text.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(const QString &buttonText);
    QString seenText() const { return seen; }
    bool answered() const { return done; }

private:
    void poll();
    QString button;
    QString seen;
    bool done = false;
};

}  // namespace guitest
