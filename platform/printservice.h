// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <optional>

// The system's print service (CUPS), asked directly. Qt's print engine hands its page
// to CUPS and drops CUPS's answer, so a queue that refuses the job, a printer removed
// while the print dialog was open or a service that stopped meanwhile would lose the
// page without a word. Here the job is handed over by the program itself, and only a
// job the service has taken counts as printed.

// Why nothing can be printed at all: the service is not running, or it knows no
// printer. std::nullopt when there is a printer to choose.
std::optional<QString> PrintServiceUnavailable();

// What goes with the file: the choices made in the print dialog.
struct PrintJob {
    QString printer;  // the queue, "Office" (an instance "Office/draft" goes to Office)
    QString title;    // shown in the queue
    QString media;    // paper, as CUPS names it ("Letter", "A4")
    bool landscape = false;
    bool monochrome = false;
    int copies = 1;
    bool collate = false;
    QString sides;        // "one-sided", "two-sided-long-edge", ...; empty: the printer's own
    QStringList options;  // further name/value pairs, in turn (the dialog's job options)
};

// Hands a PDF file to the printer's queue. Printed once the service has taken the
// job; HeldInQueue when it took it for a printer that is paused; otherwise Failed with
// the reason: the service is not running, the printer is gone, or it refuses jobs.
PrintResult SubmitToPrintService(const QString& pdfFile, const PrintJob& job);

// The sentence for a printer that refuses jobs: cupsreject's reason when one was
// given, CUPS's own "Rejecting Jobs" counting as none.
QString PrinterRefusal(const QString& printer, const QString& reason);
