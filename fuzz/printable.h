#pragma once

#include <QByteArray>
#include <QString>

/// The text for a report: UTF-8, with control characters and lone surrogates as \uXXXX, so that
/// a NUL does not cut the line short and the character is named.
inline QByteArray printable(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool pair
            = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair) {
            out += c;
            out += text[++i];
        } else if (c.unicode() < 0x20 || c.isSurrogate() || c.unicode() == 0x7f) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}
