// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/enterkey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterOnButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        button->click();
        return true;
    }
};

}  // namespace

void EnterPressesFocusedButton(QWidget* window)
{
    auto* filter = new EnterOnButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}
