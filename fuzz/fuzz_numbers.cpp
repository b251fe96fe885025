// The lenient reader of the price and ratio boxes, and the strict reader of numbers in
// files, with the two forms numbers are written in.
#include "fuzzsupport.h"
#include "core/numbers/numbers.h"

#include <cmath>

namespace {

void CheckText(const QString& text)
{
    bool tooLarge = true;
    const double typed = ReadLeadingNumber(text, &tooLarge);
    FUZZ_CHECK(tooLarge ? std::isinf(typed) : std::isfinite(typed));

    // Whatever a box reads must survive being written to a file and read back:
    // 15 significant digits, so within a few units of the 15th digit.
    const QString general = GeneralNumber(typed);
    FUZZ_CHECK(!general.isEmpty());
    if (!tooLarge) {
        const std::optional<double> back = ParseFileNumber(general);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(std::fabs(*back - typed) <= 1e-14 * std::fabs(typed));
        FUZZ_CHECK(GeneralNumber(*back) == general);
    }
    const QString price = Format00(typed);
    FUZZ_CHECK(!price.isEmpty());
    FUZZ_CHECK(price != QLatin1String("-0.00"));
    if (!tooLarge && std::fabs(typed) < 1e13) {
        const std::optional<double> shown = ParseFileNumber(price);
        FUZZ_CHECK(shown.has_value());
        FUZZ_CHECK(std::fabs(*shown - typed) <= 0.005 + 1e-9 * std::fabs(typed));
    }

    // Everything the strict file reader accepts, the box reader reads the same way.
    const std::optional<double> stored = ParseFileNumber(text);
    if (stored) {
        FUZZ_CHECK(std::isfinite(*stored));
        FUZZ_CHECK(ReadLeadingNumber(text) == *stored);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckText(QString::fromUtf8(FuzzBytes(data, size)));
    CheckText(FuzzUtf16(data, size));
    return 0;
}
