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
