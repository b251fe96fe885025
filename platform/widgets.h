// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The controls the windows are built from.
#include "platform/datepicker.h"
#include "platform/geometry.h"
#include "platform/picturebox.h"
#include "platform/textbox.h"
