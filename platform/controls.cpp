// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/controls.h"

#include "platform/accessibility.h"
#include "platform/enterkey.h"

#include <QLabel>
#include <QPushButton>

QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent)
{
    return Named(new QLabel(caption, parent), name);
}

QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent, const TwipRect& place)
{
    QLabel* label = MakeLabel(name, caption, parent);
    PlaceTwips(label, place);
    return label;
}

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent, const TwipRect& place)
{
    QPushButton* button = MakeButton(name, caption, parent);
    PlaceTwips(button, place);
    return button;
}

void SetTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void SettleDesignedWindow(QWidget* window)
{
    UseDesignFont(window);
    EnterPressesFocusedButton(window);
    NameButtonsByCaption(window);
    CenterInAvailableArea(window);
}
