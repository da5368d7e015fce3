#include "palette.h"

#include <algorithm>
#include <array>
#include <cmath>

QColor paletteColour(int n)
{
    static constexpr std::array<QRgb, 16> colours = {
        qRgb(0, 0, 0),
        qRgb(0, 0, 128),
        qRgb(0, 128, 0),
        qRgb(0, 128, 128),
        qRgb(128, 0, 0),
        qRgb(128, 0, 128),
        qRgb(128, 128, 0),
        qRgb(192, 192, 192),
        qRgb(128, 128, 128),
        qRgb(0, 0, 255),
        qRgb(0, 255, 0),
        qRgb(0, 255, 255),
        qRgb(255, 0, 0),
        qRgb(255, 0, 255),
        qRgb(255, 255, 0),
        qRgb(255, 255, 255),
    };
    return QColor(colours[static_cast<unsigned>(n) % colours.size()]);
}

double relativeLuminance(const QColor &colour)
{
    const auto linear
        = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor greyedText(const QColor &text, const QColor &background, double wanted)
{
    QColor chosen = text;
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        const auto towards = [t](double from, double to) { return float(from + t * (to - from)); };
        const QColor blend = QColor::fromRgbF(towards(text.redF(), background.redF()),
            towards(text.greenF(), background.greenF()), towards(text.blueF(), background.blueF()));
        if (contrastRatio(blend, background) < wanted)
            break;
        chosen = blend;
    }
    return chosen;
}

QPalette onPaper(QPalette theme)
{
    // The light grey of a disabled field in Qt's own light palette.
    const QColor disabledPaper(0xef, 0xef, 0xef);
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        const QColor paper = group == QPalette::Disabled ? disabledPaper : QColor(Qt::white);
        theme.setColor(group, QPalette::Base, paper);
        theme.setColor(group, QPalette::AlternateBase, paper);
        theme.setColor(group, QPalette::Text, Qt::black);
        // A panel's rules and a borderless field's surroundings.
        theme.setColor(group, QPalette::WindowText, Qt::black);
    }
    return theme;
}
