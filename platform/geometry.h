#pragma once
#include <QString>

class QWidget;

// Control geometry given in twips relative to the parent, converted with the
// screen's scale (platform().twipsPerPixel()).
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);

// A control's font by the original name and size ("Lucida Console", 8, bold).
void SetControlFont(QWidget* widget, const QString& name, double points, bool bold = false,
                    bool underline = false);
