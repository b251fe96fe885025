#include "platform/controls.h"

#include <QLabel>
#include <QPushButton>

QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent)
{
    return Named(new QLabel(caption, parent), name);
}

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
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
