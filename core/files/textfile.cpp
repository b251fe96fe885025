#include "core/files/textfile.h"

#include "core/files/savefile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool ForEachFileLine(QStringView text, const std::function<bool(QStringView line)>& line)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        if (lf < 0)
            return line(text.sliced(start));   // last line without a line end
        qsizetype end = lf;
        if (end > start && text[end - 1] == QLatin1Char('\r'))
            --end;   // CR LF; a CR anywhere else stays part of the line
        if (!line(text.sliced(start, end - start)))
            return false;
        start = lf + 1;
    }
    return true;
}

bool FileLines::forEach(const std::function<bool(const QString& line)>& line) const
{
    if (m_isText)
        return ForEachFileLine(m_text, [&line](QStringView view) { return line(view.toString()); });
    for (const QString& l : m_lines) {
        if (!line(l))
            return false;
    }
    return true;
}

QStringList SplitFileLines(const QString& text)
{
    QStringList lines;
    ForEachFileLine(text, [&lines](QStringView line) {
        lines.append(line.toString());
        return true;
    });
    return lines;
}

std::optional<QString> ReadTextFile(const QString& path, QString* error)
{
    auto fail = [error](const QString& reason) -> std::optional<QString> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    // A pipe or a device named as a project or settings file would block the program or
    // feed it without end: only a regular file of sane size is read. What is not one is
    // never opened, and the open does not wait, so a pipe slipped in meanwhile is
    // refused by fstat instead of blocking.
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return fail(QString::fromLocal8Bit(strerror(errno)));
    if (S_ISDIR(st.st_mode))
        return fail(QString::fromLocal8Bit(strerror(EISDIR)));
    if (!S_ISREG(st.st_mode))
        return fail(QStringLiteral("not a regular file"));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(strerror(errno)));
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return fail(QStringLiteral("not a regular file"));
    const QString tooLarge = QStringLiteral("larger than %1 MB, too large for a settings or project file")
                                 .arg(MaxTextFileSize / (1024 * 1024));
    if (st.st_size > MaxTextFileSize)
        return fail(tooLarge);
    // Sized by the file, one byte over to notice a file that grew meanwhile; asking for
    // the whole limit at once would take 64 MB for a file of a few hundred bytes.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        const qint64 n = file.read(bytes.data() + done, bytes.size() - done);
        if (n < 0)
            return fail(file.errorString());
        done += qsizetype(n);
        if (n == 0 || done > MaxTextFileSize)
            break;
        if (done == bytes.size())
            bytes.resize(std::min<qsizetype>(2 * bytes.size(), MaxTextFileSize + 1));
    }
    if (done > MaxTextFileSize)
        return fail(tooLarge);
    bytes.truncate(done);
    return DecodeFileText(bytes);
}

std::optional<QStringList> ReadTextLines(const QString& path, QString* error)
{
    const std::optional<QString> text = ReadTextFile(path, error);
    return text ? std::optional<QStringList>(SplitFileLines(*text)) : std::nullopt;
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
