#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTransform>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;

/// The drawing surface: an image that keeps the pixels of everything drawn since it was last
/// cleared, with a world coordinate window laid over it. Callers speak world coordinates in
/// single precision; only this class knows pixels. It is a cache: to be drawn again, sharp, at
/// another zoom or device pixel ratio, it asks its scene.
class Canvas
{
public:
    /// size is in logical pixels at zoom 1; the image holds size * zoom * devicePixelRatio
    /// device pixels.
    explicit Canvas(QSize size, qreal devicePixelRatio = 1.0);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    /// (x1, y1) becomes the top-left corner and (x2, y2) the bottom-right one.
    void setWorldWindow(float x1, float y1, float x2, float y2);

    /// A segment between two absolute points.
    void drawSegment(float x1, float y1, float x2, float y2, const QColor &colour);
    /// One device pixel.
    void plotPoint(float x, float y, const QColor &colour);
    /// A circle outline, round on screen, its radius in x units.
    void drawCircle(float x, float y, float radius, const QColor &colour);
    /// The text with its top-left corner at (x, y), in the surface's font, on a transparent
    /// background.
    void printText(float x, float y, const QString &text, const QColor &colour);
    /// Fills the whole surface with the background colour.
    void clearSurface();
    /// What draws the whole picture again, from what it shows, whenever the image is made anew:
    /// at another zoom or pixel ratio, as a copy, or onto a printer's page. The canvas keeps
    /// pixels only.
    void setScene(std::function<void(Canvas &)> draw) { scene = std::move(draw); }

    void setBackground(const QColor &colour);
    void setFont(const QFont &font);

    /// The pixels; any pending painting is finished first.
    const QImage &image();
    QSize size() const { return logicalSize; }
    qreal devicePixelRatio() const { return ratio; }
    /// Makes the image sharp for another ratio: what was drawn is drawn again.
    void setDevicePixelRatio(qreal devicePixelRatio);
    /// Makes the image zoom times its first size, the same world window over it, and draws
    /// again what was drawn. Lines and dots are then round(zoom) device pixels wide, and text
    /// is zoom times its size.
    void setZoom(qreal zoom);
    qreal zoom() const { return scale; }
    const QColor &backgroundColour() const { return background; }
    /// The font that text is drawn in, at the current zoom.
    const QFont &font() const { return zoomedFont; }
    /// Draws the scene onto target, in logical pixels of the current zoom, as lines, dots,
    /// circles and text rather than pixels: for a printer's page, sharp at any size.
    void paintOnto(QPainter &target);
    /// The scene, drawn again in an image of the given device pixel ratio, as it would be on
    /// a screen of that ratio.
    QImage imageAt(qreal devicePixelRatio) const;

    /// World point to logical pixel, unclamped.
    QPointF toPixel(float x, float y) const { return toDevice.map(QPointF(x, y)); }
    /// The device pixel of the image that holds a logical point: pixel k covers [k, k + 1).
    /// Everything is drawn at the pixels this gives, whatever rounding Qt would have chosen.
    QPoint devicePixel(QPointF logical) const;
    QPointF toWorld(QPointF pixel) const { return fromDevice.map(pixel); }

    /// Finishes pending painting so that the image can be shown or read.
    void endPainting();
    /// Called when the image has changed outside endPainting; the widget schedules a repaint.
    void setChangedHandler(std::function<void()> handler) { changed = std::move(handler); }
    /// Called when the caller wants the image on screen right now (before a blocking pause).
    void setPresentHandler(std::function<void()> handler) { presenter = std::move(handler); }
    void present();

private:
    void drawAgain();
    void drawScene();
    void resizeImage();
    void updateTransform();
    void segmentPixels(float x1, float y1, float x2, float y2, const QColor &colour);
    void pointPixels(float x, float y, const QColor &colour);
    void circlePixels(float x, float y, float radius, const QColor &colour);
    void textPixels(float x, float y, const QColor &colour, const QString &text);
    /// The text as opaque pixels of colour, with where its top-left corner lies in it.
    const QImage &textImage(const QString &text, const QColor &colour, QPoint &corner);
    /// The painter, in device pixels, with the dots collected so far set first.
    QPainter &painter();
    QPainter &rawPainter();
    void flushDots();
    void usePen(QPainter &paint, const QColor &colour) const;

    QSize baseSize;
    QSize logicalSize;
    qreal ratio = 1.0;
    qreal scale = 1.0;
    int penWidth = 1; // device pixels
    std::array<float, 4> worldWindow {}; // x1, y1, x2, y2 as last set
    bool hasWorldWindow = false;
    QImage pixels;
    // The same pixels seen as an image of ratio 1, for a painter that takes device pixels.
    QImage deviceView;
    std::unique_ptr<QPainter> activePainter;
    QTransform toDevice;
    QTransform fromDevice;
    QColor background = Qt::white;
    QFont textFont;
    QFont zoomedFont;
    struct PreparedText
    {
        QImage image;
        QPoint corner;
    };
    static constexpr qsizetype maxPreparedTexts = 256;
    QHash<std::pair<QString, QRgb>, PreparedText> preparedTexts;
    std::vector<QRect> pendingDots; // device pixels
    QColor pendingColour;
    std::function<void()> changed;
    std::function<void()> presenter;
    std::function<void(Canvas &)> scene;
    QColor clearedWith = Qt::white;
    QPainter *vector = nullptr; // set while paintOnto draws
};
