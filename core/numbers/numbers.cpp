#include "core/numbers/numbers.h"

#include "core/numbers/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Blanks, tabs and line feeds may sit anywhere in a typed or pasted number
// ("1 000", a price copied with a trailing line break) and are simply skipped.
bool IsIgnorable(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// Converts a cleaned number text ("-12.5e3": ASCII digits, at most one point,
// optional exponent) to the nearest double. std::from_chars is locale-free, so a
// machine set to a comma decimal separator reads the same value.
// Returns false when the value does not fit in a double; *value is then +-inf.
bool ConvertCleanNumber(const std::string& text, double* value)
{
    double result = 0.0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, result, std::chars_format::general);
    Q_UNUSED(ptr);
    if (ec == std::errc()) {
        *value = result;
        return true;
    }

    // Out of range: either far too large or far too small. The decimal exponent
    // of the first significant digit tells which.
    const bool negative = !text.empty() && text[0] == '-';
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    const std::size_t mantissaEnd = std::min(text.find_first_of("eE", i), text.size());
    const std::size_t point = std::min(text.find('.', i), mantissaEnd);
    bool foundSignificant = false;
    long long magnitude = 0;
    for (std::size_t j = i; j < mantissaEnd && !foundSignificant; ++j) {
        if (text[j] == '.' || text[j] == '0')
            continue;
        foundSignificant = true;
        magnitude = j < point ? static_cast<long long>(point - j - 1)
                              : -static_cast<long long>(j - point);
    }
    i = mantissaEnd;
    long long exponent = 0;
    if (i < text.size()) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        for (; i < text.size(); ++i) {
            if (exponent < 1000000000LL)
                exponent = exponent * 10 + (text[i] - '0');
        }
        if (expNegative)
            exponent = -exponent;
    }
    if (foundSignificant && magnitude + exponent > 0) {
        *value = negative ? -std::numeric_limits<double>::infinity()
                          : std::numeric_limits<double>::infinity();
        return false;
    }
    *value = negative ? -0.0 : 0.0;   // underflow: too small to matter, reads as zero
    return true;
}

// The pieces of a typed number, gathered one character at a time until the first
// character that cannot continue it.
class LeadingNumberReader {
public:
    // Takes one more character; false where the number ends before it.
    bool take(QChar c)
    {
        if (IsIgnorable(c))
            return true;
        return inExponent_ ? takeExponent(c) : takeMantissa(c);
    }

    bool hasDigits() const { return seenDigit_; }

    // "-.5e3" as "-0.5e3": the form ConvertCleanNumber reads.
    std::string cleanText() const
    {
        std::string clean;
        clean.reserve(mantissa_.size() + exponentDigits_.size() + 4);
        if (negative_)
            clean += '-';
        if (mantissa_[0] == '.')
            clean += '0';
        clean += mantissa_;
        if (!exponentDigits_.empty()) {
            clean += 'e';
            if (exponentNegative_)
                clean += '-';
            clean += exponentDigits_;
        }
        return clean;
    }

private:
    static bool IsSign(QChar c) { return c == QLatin1Char('+') || c == QLatin1Char('-'); }

    bool takeMantissa(QChar c)
    {
        if (IsDigit(c)) {
            seenDigit_ = true;
            mantissa_ += char(c.unicode());
            seenSign_ = true;   // a sign can only lead the number
            return true;
        }
        if (IsSign(c) && !seenSign_ && !seenPoint_) {
            seenSign_ = true;
            negative_ = c == QLatin1Char('-');
            return true;
        }
        if (c == QLatin1Char('.') && !seenPoint_) {
            seenPoint_ = true;
            seenSign_ = true;
            mantissa_ += '.';
            return true;
        }
        if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && seenDigit_) {
            inExponent_ = true;
            return true;
        }
        return false;
    }

    bool takeExponent(QChar c)
    {
        if (IsDigit(c)) {
            exponentDigits_ += char(c.unicode());
            return true;
        }
        if (IsSign(c) && !seenExponentSign_ && exponentDigits_.empty()) {
            seenExponentSign_ = true;
            exponentNegative_ = c == QLatin1Char('-');
            return true;
        }
        return false;
    }

    std::string mantissa_;
    std::string exponentDigits_;
    bool negative_ = false;
    bool exponentNegative_ = false;
    bool seenSign_ = false;
    bool seenDigit_ = false;
    bool seenPoint_ = false;
    bool inExponent_ = false;
    bool seenExponentSign_ = false;
};

// Rounds to the nearest whole number that Int holds, or nothing when x is not finite
// or lies outside Int's range.
template <typename Int>
std::optional<Int> ToRoundedInt(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double r = RoundHalfEven(x);
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

template <typename Int>
Int ToRoundedIntOrThrow(double x, const QString& message)
{
    const std::optional<Int> r = ToRoundedInt<Int>(x);
    if (!r)
        throw CalcError(message);
    return *r;
}

} // namespace

double ReadLeadingNumber(const QString& text, bool* tooLarge)
{
    if (tooLarge)
        *tooLarge = false;

    // Collect the characters that continue the number, skipping blanks anywhere.
    LeadingNumberReader reader;
    for (const QChar c : text) {
        if (!reader.take(c))
            break;
    }
    if (!reader.hasDigits())
        return 0.0;   // no number at all: "", ".", "-", "abc"

    double value = 0.0;
    const bool fits = ConvertCleanNumber(reader.cleanText(), &value);
    if (!fits && tooLarge)
        *tooLarge = true;
    if (value == 0.0)
        value = 0.0;   // "-0" reads as plain 0
    return value;
}

double RoundHalfEven(double x)
{
    if (!std::isfinite(x))
        return x;
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    // Exactly half way: take the even neighbour.
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

double RoundTo2(double x)
{
    const double scaled = x * 100.0;
    if (!std::isfinite(scaled))
        return x;   // beyond any price; already far past two decimals of precision
    return RoundHalfEven(scaled) / 100.0;
}

double IntFloor(double x) { return std::floor(x); }

std::optional<qint16> ToInt16(double x) { return ToRoundedInt<qint16>(x); }

std::optional<qint32> ToInt32(double x) { return ToRoundedInt<qint32>(x); }

qint16 ToInt16OrThrow(double x, const QString& message)
{
    return ToRoundedIntOrThrow<qint16>(x, message);
}

qint32 ToInt32OrThrow(double x, const QString& message)
{
    return ToRoundedIntOrThrow<qint32>(x, message);
}

QString GeneralNumber(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NaN");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (x == 0.0)
        return QStringLiteral("0");

    // 15 significant digits in scientific form: "d.dddddddddddddde+XX". Rounding may
    // carry into a new digit (999999999999999.9 -> 1e+15), so the exponent is read
    // back from the rounded text rather than computed from x.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x,
                                         std::chars_format::scientific, 14);
    if (ec != std::errc())
        return QString();
    const std::string sci(buffer, end);

    const bool negative = sci[0] == '-';
    const std::size_t start = negative ? 1 : 0;
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (std::size_t i = start; i < ePos; ++i) {
        if (sci[i] != '.')
            digits += sci[i];
    }
    const int exponent = std::stoi(sci.substr(ePos + 1));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent <= 14) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else if (static_cast<int>(digits.size()) <= exponent + 1) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent + 1 - static_cast<int>(digits.size())), '0');
        } else {
            out += digits.substr(0, static_cast<std::size_t>(exponent + 1));
            out += '.';
            out += digits.substr(static_cast<std::size_t>(exponent + 1));
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString Format00(double x)
{
    if (!std::isfinite(x))
        return GeneralNumber(x);
    double rounded = RoundTo2(x);
    if (rounded == 0.0)
        rounded = 0.0;   // a tiny negative price prints "0.00", not "-0.00"
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, rounded,
                                         std::chars_format::fixed, 2);
    if (ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
}

namespace {

// A walk over the trimmed text of one number in a file, copying what it accepts into
// the clean form ConvertCleanNumber reads.
struct FileNumberCursor {
    const QString& text;
    qsizetype at;
    qsizetype end;
    std::string clean;

    bool atOneOf(char a, char b) const
    {
        return at < end && (text[at] == QLatin1Char(a) || text[at] == QLatin1Char(b));
    }

    // Copies the digits from here on; returns how many there were.
    int takeDigits()
    {
        int count = 0;
        for (; at < end && IsDigit(text[at]); ++at, ++count)
            clean += char(text[at].unicode());
        return count;
    }

    // Digits with at most one point among them; returns how many digits.
    int takeMantissa()
    {
        int digits = takeDigits();
        if (at < end && text[at] == QLatin1Char('.')) {
            if (digits == 0)
                clean += '0';
            clean += '.';
            ++at;
            digits += takeDigits();
        }
        return digits;
    }

    // An optional "e-12"; false where the 'e' has no digits after it.
    bool takeExponent()
    {
        if (!atOneOf('e', 'E'))
            return true;
        clean += 'e';
        ++at;
        if (atOneOf('+', '-'))
            clean += char(text[at++].unicode());
        return takeDigits() > 0;
    }
};

} // namespace

std::optional<double> ParseFileNumber(const QString& text)
{
    // Files are written by the program itself in plain US form; anything else
    // ("12abc", "1,5", an empty value) means the file was damaged and fails the read.
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == QLatin1Char(' '))
        ++start;
    while (end > start && text[end - 1] == QLatin1Char(' '))
        --end;

    FileNumberCursor cursor{text, start, end, {}};
    if (cursor.atOneOf('+', '-')) {
        if (text[cursor.at] == QLatin1Char('-'))
            cursor.clean += '-';
        ++cursor.at;
    }
    if (cursor.takeMantissa() == 0 || !cursor.takeExponent() || cursor.at != end)
        return std::nullopt;

    double value = 0.0;
    if (!ConvertCleanNumber(cursor.clean, &value))
        return std::nullopt;
    if (value == 0.0)
        value = 0.0;
    return value;
}
