#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

// The busy indicator a label shows while the program waits: twelve spokes
// fading behind the lead one, which moves on a spoke every 80 ms. It is
// painted for the label's screen, so it stays sharp when Qt scales the
// windows by 2.
class Spinner : public QObject
{
    Q_OBJECT

public:
    explicit Spinner(QLabel *shownIn);

    // From the lead spoke at the top.
    void start();
    void stop();
    bool isSpinning() const { return timer.isActive(); }

private:
    void showFrame();

    QLabel *label;
    QTimer timer;
    int frame = 0;
};
