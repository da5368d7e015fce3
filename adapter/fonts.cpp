#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace {

// One family that is really installed is named: a list of absent ones, or a fontconfig alias,
// costs a font lookup for each at start-up.
QFont boldFont(const QStringList &wanted, QFont::StyleHint hint, qreal points)
{
    static const QStringList installed = QFontDatabase::families();
    const auto family = std::find_if(
        wanted.begin(), wanted.end(), [](const QString &name) { return installed.contains(name); });
    QFont font;
    if (family != wanted.end())
        font.setFamily(*family);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

QFont sansSerif(qreal points)
{
    return boldFont({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                        QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                        QStringLiteral("DejaVu Sans") },
        QFont::SansSerif, points);
}

QFont serif(qreal points)
{
    return boldFont({ QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                        QStringLiteral("DejaVu Serif") },
        QFont::Serif, points);
}
