// The settings file as a hand editor may leave it: any bytes, any line ends.
#include "core/settings/settings.h"
#include "fuzzsupport.h"
#include "core/numbers/numbers.h"
#include "core/files/textfile.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = DecodeFileText(FuzzBytes(data, size));
    const QStringList lines = SplitFileLines(text);

    FibRatios read{0, 0, 0};   // the program-wide ratios before the main menu loads them
    const bool ok = ReadRatiosLines(lines, read);
    // The file's text read line by line as it is split reads as its list of lines.
    FibRatios streamed{0, 0, 0};
    FUZZ_CHECK(ReadRatiosLines(FileLines(text), streamed) == ok);
    FUZZ_CHECK(std::memcmp(&streamed, &read, sizeof read) == 0);
    if (!ok) {
        FUZZ_CHECK(read.r1 == DefaultRatios.r1 && read.r2 == DefaultRatios.r2
                   && read.r3 == DefaultRatios.r3);
        return 0;
    }
    FUZZ_CHECK(std::isfinite(read.r1) && std::isfinite(read.r2) && std::isfinite(read.r3));

    // What was read, saved as the dialog saves it, reads back to the same text.
    const auto fileLines = [](const FibRatios& r) {
        return QStringList{QStringLiteral("FIB1=") + GeneralNumber(r.r1),
                           QStringLiteral("FIB2=") + GeneralNumber(r.r2),
                           QStringLiteral("FIB3=") + GeneralNumber(r.r3)};
    };
    const QStringList saved = fileLines(read);
    const QStringList reread = SplitFileLines(DecodeFileText(EncodeFileText(saved.join(QStringLiteral("\r\n")))));
    FibRatios again{0, 0, 0};
    FUZZ_CHECK(ReadRatiosLines(reread, again));
    FUZZ_CHECK(fileLines(again) == saved);
    return 0;
}
