// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/accessibility.h"

#include "platform/shortcuts.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

void NameButtonsByCaption(QWidget* window)
{
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->accessibleName().isEmpty() && !button->text().isEmpty())
            button->setAccessibleName(PlainCaption(button->text()));
}

void NameByLabel(QWidget* box, QLabel* label, const QString& description)
{
    label->setBuddy(box);
    NameControl(box, PlainCaption(label->text()), description);
}

void NameControl(QWidget* control, const QString& name, const QString& description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void NameDocumentBoxes(QWidget* projectBox, QWidget* notesBox)
{
    NameControl(projectBox, QStringLiteral("Project name"), QStringLiteral("The name the project is saved under"));
    NameControl(notesBox, QStringLiteral("Notes"), QStringLiteral("Notes kept with the project and its report"));
}

void NameAnalysisControls(QWidget* projectBox, QWidget* notesBox, const HeadedTable& prices,
                          const HeadedTable& dates, QWidget* chart, const QString& chartName,
                          const QString& results)
{
    NameDocumentBoxes(projectBox, notesBox);
    NameByLabel(prices.table, prices.heading, prices.description);
    NameByLabel(dates.table, dates.heading, dates.description);
    NameControl(chart, chartName, results);
}
