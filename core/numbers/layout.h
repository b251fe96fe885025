#pragma once
#include <QSize>

// Every analysis window comes in two layouts: a compact one for small screens and
// a large one. The choice is made from the screen size each time a window is asked for.
enum class Layout { Compact, Large };

// The chart box of both analysis windows is a square against the window's right edge,
// ChartBoxRightGap twips from it, and reaches ChartBoxMargin twips short of each half
// of the window's height.
constexpr int ChartBoxMargin = 250;
constexpr int ChartBoxRightGap = 100;

// Compact when the screen is at most 800 pixels wide or at most 600 pixels high.
inline Layout ChooseLayout(const QSize& screenPixels)
{
    return (screenPixels.width() <= 800 || screenPixels.height() <= 600) ? Layout::Compact
                                                                          : Layout::Large;
}
