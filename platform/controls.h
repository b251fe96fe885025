// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/geometry.h"

#include <QString>
#include <initializer_list>

class QLabel;
class QPushButton;
class QWidget;

// Building a window's controls.

// Gives a control the name the rest of the program finds it by (tests, the guide's
// screenshots, the tools that drive the windows) and hands it back, so a control is
// made, named and stored in one statement.
template <class Control>
Control* Named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// A labelled control's caption; with a place, already at it.
QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent);
QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent, const TwipRect& place);

// A button that Enter presses only while it has the focus; the window's own default
// button, if any, is set apart. With a place, already at it.
QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent);
QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent, const TwipRect& place);

// Tab moves through the controls in the order given.
void SetTabOrder(std::initializer_list<QWidget*> controls);

// What every window of a fixed design does once its controls exist: the design font on
// each control, Enter pressing the focused button, buttons named for screen readers by
// their captions, and the window in the middle of the desktop's free area.
void SettleDesignedWindow(QWidget* window);
