#include "core/numbers/quotedtext.h"

#include <algorithm>

QString EscapedControls(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            shown += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString ShortenedText(QStringView text)
{
    qsizetype cut = std::min<qsizetype>(text.size(), QuotedTextLimit);
    if (cut < text.size() && text[cut - 1].isHighSurrogate())
        --cut;
    return EscapedControls(text.left(cut)) + (cut < text.size() ? QString(QChar(0x2026)) : QString());
}

QString QuotedText(QStringView text)
{
    return QLatin1Char('"') + ShortenedText(text) + QLatin1Char('"');
}
