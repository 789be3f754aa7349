// What the dashboard's files share: the connection states of the unit, the
// progress bar's scale and the hiding of widget groups.
#pragma once

#include <QWidget>

#include "updaterun.h"

#include <initializer_list>

namespace dashboard {

inline constexpr int statusConnected = 0;
inline constexpr int statusDisconnected = 1;
inline constexpr int statusConnecting = 2;

inline constexpr int progressMaximum = UpdateRun::progressTotal;

inline void hideAll(std::initializer_list<QWidget *> widgets)
{
    for (QWidget *widget : widgets)
        widget->hide();
}

}  // namespace dashboard
