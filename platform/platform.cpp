// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/platform.h"
#include "platform/qtplatform.h"

#include <cmath>
#include <utility>

namespace {
Platform* g_installed = nullptr;
QWidget* g_dialogOwner = nullptr;

Platform& realPlatform()
{
    static QtPlatform real;
    return real;
}
}  // namespace

Platform& platform() { return g_installed ? *g_installed : realPlatform(); }

void setPlatform(Platform* p) { g_installed = p; }

DialogOwner::DialogOwner(QWidget* window) : m_previous(std::exchange(g_dialogOwner, window)) {}

DialogOwner::~DialogOwner() { g_dialogOwner = m_previous; }

QWidget* DialogOwner::current() { return g_dialogOwner; }

MsgResult ShowMessage(const QString& text, MsgButtons buttons)
{
    return platform().messageBox(text, ProgramTitle, buttons, MsgIcon::None);
}

void ShowActionFailed(const QString& sentence)
{
    platform().messageBox(QStringLiteral("Action failed:") + QLatin1Char('\n') + sentence,
                          QStringLiteral("Action failed"), MsgButtons::Ok, MsgIcon::Critical);
}

// Geometry is rounded the way the rest of the program rounds: to the nearest
// whole pixel, halves to the even neighbour (the default floating-point mode).
int TwipsToPixels(double twips) { return static_cast<int>(std::nearbyint(twips / platform().twipsPerPixel())); }

double PixelsToTwips(int pixels) { return pixels * platform().twipsPerPixel(); }
