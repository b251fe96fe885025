#include "modules/quotedtext.h"

namespace {

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

QString QuotedText(QStringView text)
{
    QString quoted(QLatin1Char('"'));
    int shown = 0;
    qsizetype i = 0;
    for (; i < text.size() && shown < QuotedTextLimit; ++i, ++shown) {
        const char16_t c = text[i].unicode();
        if (IsControl(c)) {
            static const char hex[] = "0123456789ABCDEF";
            quoted += QLatin1String("\\x");
            quoted += QLatin1Char(hex[c >> 4]);
            quoted += QLatin1Char(hex[c & 0xF]);
        } else {
            quoted += text[i];
            // A character outside the basic plane is two units; it is one character.
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                quoted += text[++i];
        }
    }
    if (i < text.size())
        quoted += QChar(0x2026);
    return quoted + QLatin1Char('"');
}
