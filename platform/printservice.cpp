// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/printservice.h"

#include <QPrinterInfo>

#include <cups/cups.h>
#include <memory>

namespace {

const QString ServiceNotRunning = QStringLiteral("The print service (CUPS) is not running");

struct HttpClose {
    void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, HttpClose>;

// A connection of our own to the service the system names (CUPS_SERVER, client.conf,
// else the local socket); null when nothing answers there.
Connection ConnectToPrintService()
{
    return Connection(
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr));
}

struct PrinterState {
    bool accepting = true;  // cupsaccept / cupsreject
    bool paused = false;    // cupsdisable: jobs wait in the queue
    QString message;        // the reason cupsreject -r or cupsdisable -r gave
};

// The queue's state as the service reports it; std::nullopt when it has no such queue.
std::optional<PrinterState> QueryPrinter(http_t* http, const QByteArray& name)
{
    cups_dest_t* dest = cupsGetNamedDest(http, name.constData(), nullptr);
    if (!dest)
        return std::nullopt;
    // The URI the service gives works for printers and classes alike.
    const QByteArray uri = cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
    cupsFreeDests(1, dest);

    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.constData());
    static const char* const wanted[] = {"printer-is-accepting-jobs", "printer-state", "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");  // takes the request
    if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return std::nullopt;
    }
    PrinterState state;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        state.accepting = ippGetBoolean(a, 0);
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
        state.paused = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
        state.message = QString::fromUtf8(ippGetString(a, 0, nullptr));
    ippDelete(response);
    return state;
}

// Why the service did not take the job, asked again once it has said no: its own
// words alone ("client-error-not-possible") would tell a trader nothing.
QString JobRefusal(const QString& printer, const QString& serviceSays)
{
    const Connection http = ConnectToPrintService();
    if (!http)
        return ServiceNotRunning;
    const std::optional<PrinterState> state = QueryPrinter(http.get(), printer.toLocal8Bit());
    if (!state)
        return QStringLiteral("The printer %1 is not installed").arg(printer);
    if (!state->accepting)
        return PrinterRefusal(printer, state->message);
    return QStringLiteral("The printer %1 did not take the job: %2").arg(printer, serviceSays);
}

// The job's options in CUPS's own form; the byte arrays keep the texts alive.
class JobOptions {
public:
    explicit JobOptions(const PrintJob& job)
    {
        add("media", job.media);
        if (job.landscape)
            add("landscape", QString());
        if (job.copies > 1)
            add("copies", QString::number(job.copies));
        if (job.copies > 1 && job.collate)
            add("Collate", QStringLiteral("True"));
        if (!job.sides.isEmpty())
            add("sides", job.sides);
        // A grey picture alone may still be printed with the colour inks.
        if (job.monochrome)
            add("print-color-mode", QStringLiteral("monochrome"));
        for (int i = 0; i + 1 < job.options.size(); i += 2)
            add(job.options[i].toUtf8(), job.options[i + 1]);
    }
    ~JobOptions() { cupsFreeOptions(m_count, m_options); }
    JobOptions(const JobOptions&) = delete;
    JobOptions& operator=(const JobOptions&) = delete;

    int count() const { return m_count; }
    cups_option_t* options() const { return m_options; }

private:
    void add(const QByteArray& name, const QString& value)
    {
        m_count = cupsAddOption(name.constData(), value.toUtf8().constData(), m_count, &m_options);
    }
    int m_count = 0;
    cups_option_t* m_options = nullptr;
};

}  // namespace

QString PrinterRefusal(const QString& printer, const QString& reason)
{
    const QString why = reason.trimmed();
    if (why.isEmpty() || why == QLatin1String("Rejecting Jobs"))
        return QStringLiteral("The printer %1 is not accepting jobs").arg(printer);
    return QStringLiteral("The printer %1 is not accepting jobs: %2").arg(printer, why);
}

std::optional<QString> PrintServiceUnavailable()
{
    if (!ConnectToPrintService())
        return ServiceNotRunning;
    // The printers the print dialog will offer.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        return QStringLiteral("No printer is installed");
    return std::nullopt;
}

PrintResult SubmitToPrintService(const QString& pdfFile, const PrintJob& job)
{
    const QString printer = job.printer.section(QLatin1Char('/'), 0, 0);
    const Connection http = ConnectToPrintService();
    if (!http)
        return {PrintStatus::Failed, printer, ServiceNotRunning};
    const JobOptions options(job);
    const int id = cupsPrintFile2(http.get(), printer.toLocal8Bit().constData(), pdfFile.toLocal8Bit().constData(),
                                  job.title.toUtf8().constData(), options.count(), options.options());
    if (id == 0)
        return {PrintStatus::Failed, printer, JobRefusal(printer, QString::fromUtf8(cupsLastErrorString()))};
    // The job is the service's now; a paused printer keeps it until it is resumed.
    const std::optional<PrinterState> state = QueryPrinter(http.get(), printer.toLocal8Bit());
    return {state && state->paused ? PrintStatus::HeldInQueue : PrintStatus::Printed, printer, QString()};
}
