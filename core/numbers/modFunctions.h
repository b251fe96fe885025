#pragma once
#include <QString>

class QPainter;

// What the project name and notes boxes show while they hold nothing; a project name
// equal to its placeholder counts as no name.
inline const QString ProjectNamePlaceholder = QStringLiteral("Project Name");
inline const QString NotesPlaceholder = QStringLiteral("Notes");

// Leading and trailing blanks removed, and only blanks: a tab or a line break the
// trader typed stays part of the text.
QString TrimBlanks(const QString& text);

// Every line break as CR LF, as files and reports end their lines: a bare LF becomes
// CR LF, a CR LF stays as it is. Notes boxes and command lines hand over bare LFs.
QString WithCrLf(const QString& text);

// Key filter of every number box. keyAscii is the typed character code, set to 0
// to swallow the key. boxText is the box's whole current text (selection included).
void FilterNumericKey(const QString& boxText, int& keyAscii, bool allowDecimal);

// Draws text with its top-left (of the unrotated text) at pixel (x, y), rotated
// counter-clockwise by angle degrees, in the painter's current font and pen.
bool DrawRotatedText(QPainter* painter, const QString& text, int x, int y, float angle);
