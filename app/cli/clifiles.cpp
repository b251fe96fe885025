#include "app/cli/clifiles.h"
#include "modules/savefile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>

QString ReadProblem(const QString& path)
{
    // QFile opens a folder without complaint; reading it would fail later with less to say.
    if (QFileInfo(path).isDir())
        return QStringLiteral("Is a directory");
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

CliFailure FileFailure(const QString& sentence, const QString& path, const QString& reason)
{
    return {ExitFailed, QStringLiteral("%1 %2: %3").arg(sentence, path, reason)};
}

CliFailure ProjectFailure(const QString& path)
{
    const QString problem = ReadProblem(path);
    return FileFailure(QStringLiteral("Action failed:\nCan't open project file"), path,
                       problem.isEmpty() ? QStringLiteral("not a project file this window can read") : problem);
}

namespace {

// context: "Action failed:\n" or "Error in Printing: ", the window's own start of the
// sentence. A named file goes through the same careful replacement as the windows'
// files: a full disk or a kill never leaves it half written.
std::optional<CliFailure> WriteBytes(const QString& target, const QByteArray& bytes, QIODevice* out,
                                     const QString& context)
{
    if (target == QLatin1String("-")) {
        if (out && out->write(bytes) != bytes.size())
            return FileFailure(context + QStringLiteral("Cannot write the file"), QStringLiteral("(standard output)"),
                               out->errorString());
        return std::nullopt;
    }
    QString error;
    if (!ReplaceFile(target, bytes, &error))
        return CliFailure{ExitFailed, context + error};
    return std::nullopt;
}

}  // namespace

std::optional<CliFailure> WriteOutput(const QString& target, const QByteArray& bytes, QIODevice* out)
{
    return WriteBytes(target, bytes, out, QStringLiteral("Action failed:\n"));
}

namespace {

// The chart's pixels for a PNG: a chart has a handful of colours, and a palette of them
// sends a third of the bytes through the compressor, in well under half the time. A
// picture of more than 256 colours stays 24-bit: never an approximation.
QImage PngPixels(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> colors;
    QRgb last = 0;
    uchar lastIndex = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0, width = rgb.width(); x < width; ++x) {
            if (colors.isEmpty() || from[x] != last) {
                last = from[x];
                qsizetype at = colors.indexOf(last);
                if (at < 0) {
                    if (colors.size() == 256)
                        return picture.convertToFormat(QImage::Format_RGB888);
                    at = colors.size();
                    colors.push_back(last);
                }
                lastIndex = uchar(at);
            }
            to[x] = lastIndex;
        }
    }
    indexed.setColorTable(colors);
    indexed.setDotsPerMeterX(picture.dotsPerMeterX());
    indexed.setDotsPerMeterY(picture.dotsPerMeterY());
    return indexed;
}

}  // namespace

std::optional<CliFailure> WriteChartPicture(const QImage& picture, const QString& target, QIODevice* out)
{
    // 24 bits per pixel: the bitmap every Windows program reads; a PNG of the chart's
    // few colours.
    const bool png = ChartFormatFor(target) == ChartFormat::Png;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (png) {
        // Quality 80 is zlib's fastest level for Qt's PNG writer: on a palette chart it
        // takes a fifth off the whole run for a file of 60 KB instead of 37 KB.
        PngPixels(picture).save(&buffer, "PNG", 80);
    } else {
        // A bitmap's size is known before it is written: rows padded to 4 bytes under a
        // 54-byte header. Growing the buffer step by step would copy megabytes.
        const qsizetype rowBytes = (qsizetype(picture.width()) * 3 + 3) & ~qsizetype(3);
        bytes.reserve(54 + rowBytes * picture.height());
        // Qt writes 24-bit rows from 32-bit pixels; handing it 24-bit ones makes it
        // convert them back first.
        picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    }
    return WriteBytes(target, bytes, out, QStringLiteral("Error in Printing: "));
}
