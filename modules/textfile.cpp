#include "modules/textfile.h"

#include "modules/savefile.h"

#include <QFile>
#include <QStringDecoder>
#include <QFileInfo>

#include <algorithm>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F, where it places the euro
// sign, typographic quotes, dashes and a few letters. The five bytes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control character of the same
// number, as Windows itself decodes them, so every byte survives a round trip.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,   // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,   // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,   // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,   // 0x98
};

// The 1252 byte for a UTF-16 unit, or -1 when the code page has no such character.
int Cp1252Byte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

// The lead bytes of well-formed UTF-8 sequences: how many continuation bytes follow,
// and the range the first of them must fall in (any further one is 80..BF). The narrow
// ranges shut out overlong forms (E0, F0), surrogates (ED) and code points past
// U+10FFFF (F4).
struct Utf8Lead {
    unsigned char first, last;   // the lead bytes of this row
    int continuations;
    unsigned char low, high;     // the allowed range of the byte after the lead
};

constexpr Utf8Lead Utf8Leads[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF},
    {0xE0, 0xE0, 2, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x80, 0xBF},
    {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF},
    {0xF4, 0xF4, 3, 0x80, 0x8F},
};

const Utf8Lead* FindUtf8Lead(unsigned char c)
{
    for (const Utf8Lead& lead : Utf8Leads) {
        if (c >= lead.first && c <= lead.last)
            return &lead;
    }
    return nullptr;
}

// Strict UTF-8 check: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Lead* lead = FindUtf8Lead(p[i]);
        if (!lead || i + lead->continuations >= n)
            return false;
        if (p[i + 1] < lead->low || p[i + 1] > lead->high)
            return false;
        for (int k = 2; k <= lead->continuations; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += lead->continuations + 1;
    }
    return true;
}

} // namespace

QString DecodeFileText(const QByteArray& bytes)
{
    if (IsValidUtf8(bytes)) {
        // One byte-order mark written by another editor is dropped; the decoder is told to
        // keep any further U+FEFF, which fromUtf8 would silently drop as a second mark.
        const qsizetype mark = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return utf8(QByteArrayView(bytes).sliced(mark));
    }
    QString text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b <= 0x9F) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray EncodeFileText(const QString& text)
{
    // The old code page keeps files readable by the traders' other tools; a single
    // character outside it (a Greek letter, an emoji in the notes) switches the whole
    // file to UTF-8 so that nothing typed is ever lost.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const int b = Cp1252Byte(c.unicode());
        if (b < 0)
            return text.toUtf8();
        bytes.append(static_cast<char>(b));
    }
    // Some 1252 texts are valid UTF-8 as well (the 1252 bytes of "Ã©" are the UTF-8 of
    // "é") and would read back as other letters; they are written in UTF-8 too. Plain
    // ASCII is the same in both and stays as it is.
    const bool allAscii = std::all_of(bytes.cbegin(), bytes.cend(),
                                      [](char b) { return static_cast<unsigned char>(b) < 0x80; });
    if (!allAscii && IsValidUtf8(bytes))
        return text.toUtf8();
    return bytes;
}

QStringList SplitFileLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        if (lf < 0) {
            lines.append(text.mid(start));   // last line without a line end
            break;
        }
        qsizetype end = lf;
        if (end > start && text[end - 1] == QLatin1Char('\r'))
            --end;   // CR LF; a CR anywhere else stays part of the line
        lines.append(text.mid(start, end - start));
        start = lf + 1;
    }
    return lines;
}

std::optional<QStringList> ReadTextLines(const QString& path, QString* error)
{
    auto fail = [error](const QString& reason) -> std::optional<QStringList> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    // A pipe or a device named as a project or settings file would block the program
    // or feed it without end; only a regular file of sane size is read.
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("The file does not exist."));
    if (!info.isFile())
        return fail(QStringLiteral("The file is not a regular file."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QByteArray bytes = file.read(MaxTextFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (bytes.size() > MaxTextFileSize)
        return fail(QStringLiteral("The file is too large."));
    return SplitFileLines(DecodeFileText(bytes));
}

bool WriteTextLines(const QString& path, const QStringList& lines, QString* error)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return WriteTextFile(path, text, error);
}

bool WriteTextFile(const QString& path, const QString& text, QString* error)
{
    return ReplaceFile(path, EncodeFileText(text), error);
}
