#pragma once

#include <QHash>
#include <QImage>
#include <QWidget>

/// How many pixels of the image have each colour.
inline QHash<QRgb, int> pixelCounts(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    return counts;
}

/// The colour most pixels have: the background of a field or of the plane.
inline QRgb mostCommon(const QHash<QRgb, int> &counts)
{
    QRgb common = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(common))
            common = it.key();
    return common;
}

/// The control as painted, inside its frame.
inline QImage insideFrame(QWidget *control)
{
    const QImage shot = control->grab().toImage();
    const int inset = qRound(3 * shot.devicePixelRatio());
    return shot.copy(shot.rect().adjusted(inset, inset, -inset, -inset));
}
