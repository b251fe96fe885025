#include "app/cli/jsonout.h"

#include "core/numbers/dates.h"

#include <charconv>
#include <cmath>
#include <cstdio>

QByteArray JsonNull() { return QByteArrayLiteral("null"); }

QByteArray JsonBool(bool value) { return value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"); }

QByteArray JsonInteger(qint64 value) { return QByteArray::number(value); }

QByteArray JsonNumber(double value)
{
    if (!std::isfinite(value))
        return JsonNull();
    // std::to_chars without a precision gives the shortest text that parses back to
    // exactly this double, always with "." and never with locale digits.
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(r.ptr - buffer));
}

QByteArray JsonString(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        default:
            if (u < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", u);
                out.append(escape);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
    return out;
}

QByteArray JsonDate(const std::optional<QDate>& date)
{
    if (!date || !date->isValid())
        return JsonNull();
    return JsonString(FormatMmDdYyyy(*date));
}

QByteArray JsonArray(const std::vector<QByteArray>& items)
{
    QByteArray out("[");
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out.append(", ");
        out.append(items[i]);
    }
    out.append(']');
    return out;
}

JsonObject& JsonObject::add(const QString& key, const QByteArray& value)
{
    m_members.emplace_back(key, value);
    return *this;
}

QByteArray JsonObject::text(bool multiline) const
{
    if (m_members.empty())
        return QByteArrayLiteral("{}");
    QByteArray out("{");
    const char* separator = multiline ? "\n  " : "";
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (i > 0)
            out.append(multiline ? "," : ", ");
        out.append(separator);
        out.append(JsonString(m_members[i].first));
        out.append(": ");
        out.append(m_members[i].second);
    }
    out.append(multiline ? "\n}" : "}");
    return out;
}
