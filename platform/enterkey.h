// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Enter on a focused push button presses that button, as on Windows, and not the
// window's default button: Enter on a focused Cancel cancels. Enter elsewhere is left
// to the window. Call once the window's buttons exist.
void EnterPressesFocusedButton(QWidget* window);
