#include "platform/geometry.h"
#include "platform/fonts.h"
#include "platform/platform.h"

#include <QWidget>

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

void SetControlFont(QWidget* widget, const QString& name, double points, bool bold,
                    bool underline) {
    widget->setFont(MakeFont(name, points, bold, underline));
}
