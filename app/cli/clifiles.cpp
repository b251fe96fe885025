#include "app/cli/clifiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

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

std::optional<CliFailure> WriteBytes(const QString& target, const QByteArray& bytes, QIODevice* out,
                                     const QString& sentence)
{
    if (target == QLatin1String("-")) {
        if (out && out->write(bytes) != bytes.size())
            return FileFailure(sentence, QStringLiteral("(standard output)"), out->errorString());
        return std::nullopt;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return FileFailure(sentence, target, file.errorString());
    return std::nullopt;
}

}  // namespace

std::optional<CliFailure> WriteOutput(const QString& target, const QByteArray& bytes, QIODevice* out)
{
    return WriteBytes(target, bytes, out, QStringLiteral("Action failed:\nCannot write the file"));
}

std::optional<CliFailure> WriteChartPicture(const QImage& picture, const QString& target, QIODevice* out)
{
    // 24 bits per pixel: the bitmap every Windows program reads, and a PNG as small as
    // the few colours of a chart allow.
    const bool png = ChartFormatFor(target) == ChartFormat::Png;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_RGB888).save(&buffer, png ? "PNG" : "BMP");
    return WriteBytes(target, bytes, out, QStringLiteral("Error in Printing: Cannot write the file"));
}
