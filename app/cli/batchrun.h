// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/cli/cli.h"
#include "app/cli/options.h"

// --csv: the watch-list from a file or standard input, the results to standard output
// as they are done, and on a terminal a progress line on standard error.
int RunWatchList(const CliOptions& options, const CliEnvironment& env, const QDate& today, Layout layout,
                 const CliStreams& io);
