#pragma once

#include <QColor>
#include <QPalette>

/// Colour n (0 to 15) of the classic 16-colour palette; numbers outside it wrap around.
QColor paletteColour(int n);

/// WCAG's relative luminance of a colour, 0 for black to 1 for white.
double relativeLuminance(const QColor &colour);
/// WCAG's contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor &a, const QColor &b);
/// The colour from text towards background that is greyed furthest while it keeps at least the
/// wanted contrast against background, in twentieths of the way; text itself when even the
/// first step is too faint.
QColor greyedText(const QColor &text, const QColor &background, double wanted);

/// theme with the paper colours of the plane and its fields: black text on white, and a light
/// grey behind a disabled field. The plane's colours were chosen for white and fixed by the
/// layout, so the fields beside them keep white too, whatever the desktop's colour scheme.
QPalette onPaper(QPalette theme);
