// A price file as traders download it, or as a damaged download, a hand edit or a
// foreign export leaves it. The first byte picks how slash dates are read and in what
// pieces the file arrives; the rest is the file.
#include "core/history/pricehistory.h"
#include "core/history/swings.h"
#include "fuzzsupport.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

bool Positive(double price) { return std::isfinite(price) && price > 0; }

void CheckHistory(const PriceHistory& h)
{
    FUZZ_CHECK(!h.bars.empty());
    for (size_t i = 0; i < h.bars.size(); ++i) {
        const PriceBar& b = h.bars[i];
        // One bar per day, oldest first, whatever order and however many rows a day had.
        FUZZ_CHECK(b.date.isValid());
        FUZZ_CHECK(i == 0 || h.bars[i - 1].date < b.date);
        FUZZ_CHECK(Positive(b.close));
        for (const double p : {b.open, b.high, b.low})
            FUZZ_CHECK(std::isnan(p) || Positive(p));
    }
}

void CheckSwings(const PriceHistory& h, SwingBasis basis)
{
    const std::vector<Swing> swings = FindSwings(h, 5, basis);
    for (size_t i = 0; i < swings.size(); ++i) {
        const Swing& s = swings[i];
        const PriceBar& bar = h.bars[size_t(s.bar)];
        FUZZ_CHECK(i == 0 || (swings[i - 1].bar < s.bar && swings[i - 1].kind != s.kind));
        FUZZ_CHECK(s.confirmed == (i + 1 < swings.size()));
        const double onBar = basis == SwingBasis::Close ? bar.close : s.kind == SwingKind::High ? bar.high : bar.low;
        FUZZ_CHECK(s.price == (std::isnan(onBar) ? bar.close : onBar));
    }
}

// Every refusal names the file and a line the file has, and quotes it only briefly.
void CheckRefusal(const PriceHistoryRead& read, const QByteArray& bytes)
{
    FUZZ_CHECK(read.failure == PriceReadFailure::Refused);
    static const QRegularExpression named(QStringLiteral("^p\\.csv, line (\\d+): \\S"));
    const QRegularExpressionMatch m = named.match(read.problem);
    FUZZ_CHECK(m.hasMatch());
    const qint64 line = m.captured(1).toLongLong();
    FUZZ_CHECK(line >= 1 && line <= bytes.count('\n') + bytes.count('\r') + 1);
    FUZZ_CHECK(read.problem.size() < 400);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes = FuzzBytes(data + 1, size - 1);
    PriceReadOptions options;
    options.dateOrder = DateOrder(data[0] % 3);
    const PriceHistoryRead whole = ReadPriceHistory(bytes, QStringLiteral("p.csv"), options);

    // The same file arriving in small pieces, split anywhere (inside a line end, a
    // UTF-8 character or the byte order mark), reads the same.
    const qint64 piece = 1 + (data[0] >> 2) % 13;
    qint64 at = 0;
    const PriceByteSource pieces = [&](char* buffer, qint64) {
        const qint64 n = std::min<qint64>(piece, bytes.size() - at);
        std::memcpy(buffer, bytes.constData() + at, size_t(n));
        at += n;
        return n;
    };
    const PriceHistoryRead streamed = ReadPriceHistory(pieces, QStringLiteral("p.csv"), options);
    FUZZ_CHECK(streamed.problem == whole.problem);
    FUZZ_CHECK(bool(streamed.history) == bool(whole.history));

    if (!whole.history) {
        CheckRefusal(whole, bytes);
        return 0;
    }
    const PriceHistory& h = *whole.history;
    FUZZ_CHECK(streamed.history->bars.size() == h.bars.size());
    CheckHistory(h);
    CheckSwings(h, SwingBasis::Close);
    CheckSwings(h, SwingBasis::HighLow);
    return 0;
}
