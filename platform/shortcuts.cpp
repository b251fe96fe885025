// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shortcuts.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QWidget>

ProgramActions& programActions()
{
    static ProgramActions actions;
    return actions;
}

namespace {
// Looked up when the key is pressed, so the main menu may fill the actions in later.
void AddActionShortcut(QWidget* window, const QKeySequence& key, std::function<void()> ProgramActions::*action)
{
    auto* shortcut = new QShortcut(key, window);
    QObject::connect(shortcut, &QShortcut::activated, window, [action] {
        const std::function<void()>& run = programActions().*action;
        if (run)
            run();
    });
}
}  // namespace

void AddProgramShortcuts(QWidget* window, const QString& guideHeading)
{
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), window);
    QObject::connect(help, &QShortcut::activated, window, [guideHeading] {
        if (programActions().showGuide)
            programActions().showGuide(guideHeading);
    });
    AddActionShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_M), &ProgramActions::showMainMenu);
    AddActionShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Q), &ProgramActions::exitProgram);
    AddActionShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_H), &ProgramActions::showPriceHistory);
}

void AddButtonShortcut(QWidget* window, QAbstractButton* button, const QKeySequence& key, const QString& purpose)
{
    auto* shortcut = new QShortcut(key, window);
    // click() does nothing on a disabled button, as the mouse would not either.
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(purpose, key.toString(QKeySequence::NativeText)));
}

QString PlainCaption(const QString& caption)
{
    QString plain = caption;
    plain.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    plain.remove(QLatin1Char('&'));
    plain.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return plain;
}
