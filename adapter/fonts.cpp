#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

namespace {

// One family that is really installed is named: a list of absent ones, or a fontconfig alias,
// costs a font lookup for each at start-up. A bitmap family (Windows's "MS Sans Serif") is
// passed over: it comes in a few sizes only, and the window is drawn at any zoom.
QFont boldFont(const QStringList &wanted, QFont::StyleHint hint, qreal points)
{
    static const QStringList installed = QFontDatabase::families();
    const auto family = std::find_if(wanted.begin(), wanted.end(), [](const QString &name) {
        return installed.contains(name) && QFontDatabase::isSmoothlyScalable(name);
    });
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
#ifdef Q_OS_WIN
    // Arial, on every Windows, is the metric twin of Liberation Sans, which the layout is
    // measured with; "Microsoft Sans Serif", the scalable heir of "MS Sans Serif", has metrics
    // of its own. Liberation Sans is what Wine finds on a Linux host.
    return boldFont(
        { QStringLiteral("Arial"), QStringLiteral("Liberation Sans") }, QFont::SansSerif, points);
#else
    return boldFont({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                        QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                        QStringLiteral("DejaVu Sans") },
        QFont::SansSerif, points);
#endif
}

QFont serif(qreal points)
{
    return boldFont({ QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                        QStringLiteral("DejaVu Serif") },
        QFont::Serif, points);
}
