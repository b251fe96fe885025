// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QLabel;
class QWidget;

// What a screen reader announces for the windows' controls.

// Every button of `window` without a name of its own is named by its caption
// without the access-key mark ("Export &Results" -> "Export Results").
void NameButtonsByCaption(QWidget* window);

// A box named by the label beside it: the label becomes its buddy (a screen reader
// reads them together) and the box is announced as the label reads, with a
// description of what goes in it.
void NameByLabel(QWidget* box, QLabel* label, const QString& description);

// A control without a label of its own.
void NameControl(QWidget* control, const QString& name, const QString& description);

// The project name and notes boxes every analysis window has.
void NameDocumentBoxes(QWidget* projectBox, QWidget* notesBox);

// A results table, named by the heading above it.
struct HeadedTable {
    QLabel* table;
    QLabel* heading;
    QString description;
};

// What every analysis window names alike: the project and notes boxes, its two results
// tables, and its chart, described by the results as text.
void NameAnalysisControls(QWidget* projectBox, QWidget* notesBox, const HeadedTable& prices,
                          const HeadedTable& dates, QWidget* chart, const QString& chartName,
                          const QString& results);
