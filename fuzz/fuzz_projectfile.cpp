// A ".fib" or ".gann" file as a trader may hand it to Open: damaged, truncated,
// edited elsewhere, in another code page or with other line ends.
#include "core/fibonacci/fibonaccifile.h"
#include "core/gann/gannproject.h"
#include "fuzzsupport.h"
#include "core/files/projectfile.h"
#include "core/files/textfile.h"

namespace {

// The bytes a save writes for these lines, split again as Open splits them.
QStringList SavedAndReread(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return SplitFileLines(DecodeFileText(EncodeFileText(text)));
}

void CheckFib(const QStringList& lines)
{
    FibonacciDocument opened;
    if (!ApplyFibProjectLines(lines, opened))
        return;
    // A project that opened saves and opens again to the very same file.
    const QStringList saved = FibProjectLines(opened);
    FibonacciDocument reopened;
    FUZZ_CHECK(ApplyFibProjectLines(SavedAndReread(saved), reopened));
    FUZZ_CHECK(FibProjectLines(reopened) == saved);
}

void CheckGann(const QStringList& lines)
{
    GannDocument opened;
    opened.date = QDate(2024, 6, 1);   // the picker always holds a date
    if (!ApplyGannProjectLines(lines, opened))
        return;
    // Saving trims the notes once; from then on save and open change nothing.
    const QStringList saved = GannProjectLines(opened);
    GannDocument reopened;
    FUZZ_CHECK(ApplyGannProjectLines(SavedAndReread(saved), reopened));
    const QStringList savedAgain = GannProjectLines(reopened);
    GannDocument third;
    FUZZ_CHECK(ApplyGannProjectLines(SavedAndReread(savedAgain), third));
    FUZZ_CHECK(GannProjectLines(third) == savedAgain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = DecodeFileText(FuzzBytes(data, size));
    const QStringList lines = SplitFileLines(text);
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')));

    // Written back, the text reads as it was: no character a trader typed is lost.
    // (A leading U+FEFF is taken for a byte-order mark by any reader.)
    if (!text.startsWith(QChar(0xFEFF)))
        FUZZ_CHECK(DecodeFileText(EncodeFileText(text)) == text);

    // The shared key=value reader on its own: notes lines only ever follow NT.
    QString recent = QStringLiteral("NONE");
    ReadProjectLines(
        lines,
        [&recent](const QString& key, const QString& value) {
            FUZZ_CHECK(!value.contains(QLatin1Char('=')));
            FUZZ_CHECK(key == key.toUpper());
            recent = key;
            return true;
        },
        [&recent](const QString& line) {
            FUZZ_CHECK(recent == QLatin1String("NT"));
            FUZZ_CHECK(!line.contains(QLatin1Char('=')));
        });

    CheckFib(lines);
    CheckGann(lines);

    // Open reads the text line by line as it is split; that reads as the list of lines.
    FibonacciDocument fromList, fromText;
    FUZZ_CHECK(ApplyFibProjectLines(lines, fromList) == ApplyFibProjectLines(FileLines(text), fromText));
    FUZZ_CHECK(FibProjectLines(fromList) == FibProjectLines(fromText));
    return 0;
}
