#pragma once
#include <QRect>
#include <QString>

class QWidget;

// Control geometry given in twips relative to the parent, converted with the
// screen's scale (platform().twipsPerPixel()).
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);

// A control's place in twips, as the window designs give it.
struct TwipRect {
    int left, top, width, height;
};
inline void PlaceTwips(QWidget* widget, const TwipRect& r)
{
    PlaceTwips(widget, r.left, r.top, r.width, r.height);
}

// A control's font by the Windows name it was designed with and its size ("Lucida
// Console", 8, bold); MakeFont finds the stand-in where that font is missing.
void SetControlFont(QWidget* widget, const QString& name, double points, bool bold = false,
                    bool underline = false);

// The windows were designed in "MS Sans Serif" 8. It is set on the window and on every
// control that has no font of its own, so a desktop theme's larger font for buttons or
// labels cannot cut a caption short.
void UseDesignFont(QWidget* window);

// ---- Windows on the desktop ---------------------------------------------------

// The client area of a window that fills the desktop: the free area (panels and docks
// excluded) less the window manager's frame, so title bar and borders stay on screen.
// On a screen without panels or frame this is the whole screen.
QRect DesktopClientArea();

// Places a dialog or the main menu in the middle of the desktop's free area.
void CenterInAvailableArea(QWidget* window);

// Right edge, in twips, of the controls directly on `window` other than `except`
// (the input column beside the chart).
int ControlsRightTwips(const QWidget* window, const QWidget* except);

// The width, in twips, that a vertical scroll bar will take on `window` because the
// controls other than `chart` reach below its bottom; 0 while they fit. The chart is
// placed left of it, so the bar never covers the chart.
int ScrollBarAllowanceTwips(const QWidget* window, const QWidget* chart);

// The chart box is a square against the window's right edge, 100 twips in from it.
// Half its side: `heightHalf` (what the window's height allows) unless that square
// would cover the input column ending at `inputsRight`; then the largest square that
// leaves 100 twips between the column and the chart.
int ChartHalfBesideInputs(int heightHalf, int windowWidth, int inputsRight);

// Scroll bars on `window` whenever its controls reach past its client area (a desktop
// smaller than the layout needs, or a window the trader made smaller), so nothing is
// ever out of reach. The focused control is scrolled into view. Call again after the
// controls moved; the bars stay hidden while all fits.
void ScrollWhenCut(QWidget* window);
