#pragma once
#include <QSize>

// Every analysis window comes in two layouts: a compact one for small screens and
// a large one. The choice is made from the screen size each time a window is asked for.
enum class Layout { Compact, Large };

// Compact when the screen is at most 800 pixels wide or at most 600 pixels high.
inline Layout ChooseLayout(const QSize& screenPixels)
{
    return (screenPixels.width() <= 800 || screenPixels.height() <= 600) ? Layout::Compact
                                                                          : Layout::Large;
}
