// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "app/cli/csvbatch.h"

#include <memory>

// The calculation of one watch-list row, as the analysis window makes it. Each worker
// of a batch has its own, so nothing is shared between threads.
class BatchRows {
public:
    virtual ~BatchRows() = default;
    // `inputs` in the order of BatchInputColumns; sets `cells` to the result columns
    // (without "error") as CSV, joined by commas, or returns the row's error message.
    virtual QString calculate(const QStringList& inputs, QString& cells) = 0;
};

// The calculations of one batch, one for each worker. Those of a batch may share what
// they have worked out.
std::vector<std::unique_ptr<BatchRows>> MakeBatchRows(const BatchSettings& settings, int workers);
