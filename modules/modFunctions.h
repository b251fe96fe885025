#pragma once
#include <QString>

class QPainter;

// Key filter of every number box. keyAscii is the typed character code, set to 0
// to swallow the key. boxText is the box's whole current text (selection included).
void FilterNumericKey(const QString& boxText, int& keyAscii, bool allowDecimal);

// Draws text with its top-left (of the unrotated text) at pixel (x, y), rotated
// counter-clockwise by angle degrees, in the painter's current font and pen.
bool DrawRotatedText(QPainter* painter, const QString& text, int x, int y, float angle);
