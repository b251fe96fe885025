// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textbox.h"

#include <QKeyEvent>

#include <algorithm>

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {}

void TextBox::setTypingLimit(int limit)
{
    m_typingLimit = limit;
    setMaxLength(limit);
}

void TextBox::setTextUncut(const QString& text)
{
    // The line edit cuts whatever exceeds its maximum length, so the maximum makes room
    // for a longer text; the key check below keeps typing at the limit.
    setMaxLength(std::max<int>(m_typingLimit, text.size()));
    setText(text);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    int k = 0;
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (control && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        k = event->key() - Qt::Key_A + 1;  // control characters as typed on Windows
    else if (!event->text().isEmpty())
        k = event->text().at(0).unicode();
    if (m_typingLimit > 0 && k > 26 && k != 127 && text().size() - selectedText().size() >= m_typingLimit) {
        event->accept();  // full: the character is not typed
        return;
    }
    if (k == 0 || !keyPress) {
        QLineEdit::keyPressEvent(event);
        return;
    }

    const int typed = k;
    keyPress(k);
    if (k == 0) {
        event->accept();
        return;
    }
    if (k == typed || control) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // The hook replaced the character: type the new one instead.
    QKeyEvent replaced(event->type(), 0, event->modifiers(), QString(QChar(k)));
    QLineEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : QPlainTextEdit(parent) { setTabChangesFocus(true); }

void MultiLineTextBox::setText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(t);
}

void MultiLineTextBox::focusInEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusInEvent(event);
    emit gotFocus();
}

void MultiLineTextBox::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    emit lostFocus();
}
