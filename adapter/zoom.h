#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>
#include <vector>

class QWidget;

/// Twips, the unit the window is laid out in: 15 to a logical pixel at zoom 1.
inline constexpr int twipsPerPixel = 15;
/// The one place where twips become pixels, at a zoom factor.
int twipsToPixels(int twips, qreal zoom = 1.0);
/// Each of left, top, width and height in pixels at the zoom.
QRect twipsToPixels(const QRect &twips, qreal zoom = 1.0);
QSize twipsToPixels(const QSize &twips, qreal zoom = 1.0);

/// The zooms the keys step through.
inline constexpr std::array<qreal, 8> zoomSteps = { 0.75, 1, 1.25, 1.5, 2, 2.5, 3, 4 };

/// The room a window has on a screen: its available area, less room for a panel where the
/// available area is the whole screen, as it is wherever Qt cannot see the desktop's panels.
QSize roomOnScreen(const QRect &available, const QRect &whole);
/// The largest zoom at which content, zoomed, and the fixed parts around it (menu bar, window
/// frame) fit into available.
qreal largestFittingZoom(QSize available, QSize content, QSize around);
/// The zoom a window opens at: 1 when that fits, else the largest step that fits, else the
/// largest zoom that fits.
qreal openingZoom(qreal largest);
/// The next step up (direction > 0) or down from current that is at most largest; current when
/// there is none.
qreal nextZoomStep(qreal current, int direction, qreal largest);

/// Controls laid out in twips, placed and given their fonts at a zoom factor.
class TwipsLayout
{
public:
    /// The control's rectangle in twips, in its parent; its present font is the one at zoom 1.
    /// A single-line field's text may start textIndent twips into it.
    void add(QWidget *control, const QRect &twips, int textIndent = 0);
    /// As add, but the control gets laterFont (at zoom 1) only when setLaterFonts is called;
    /// until then it keeps the font it inherits.
    void add(QWidget *control, const QRect &twips, const QFont &laterFont, int textIndent = 0);
    /// Places every control at the zoom; those directly on top are moved by origin.
    void apply(QWidget *top, qreal zoom, QPoint origin);
    bool hasLaterFonts() const { return laterFonts > 0; }
    /// Gives the controls added with a later font that font, at the present zoom.
    void setLaterFonts();

private:
    struct Entry
    {
        QPointer<QWidget> control;
        QRect twips;
        qreal points = 0;
        int textIndent = 0;
        std::optional<QFont> laterFont;
    };
    void setFont(const Entry &entry, QFont font) const;

    std::vector<Entry> entries;
    int laterFonts = 0;
    qreal fontZoom = 1.0;
};
