#include "windowicon.h"

#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace {

// The program's own icon, rendered from its SVG at these sizes: Qt's SVG icon engine is not part
// of Qt's base, and looking for it costs a start-up as much as a font does.
constexpr std::array sizes = { 16, 24, 32, 48, 64, 128 };

// Reads a picture only when one is asked for. Decoding all six at start-up cost a tenth of it,
// and on many platforms (Wayland, offscreen) nobody asks for the window's icon at all.
class OwnIcon : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        int chosen = sizes.back();
        for (const int available : sizes) {
            if (available >= size.width() && available >= size.height()) {
                chosen = available;
                break;
            }
        }
        QPixmap picture(QStringLiteral(":/icons/%1.png").arg(chosen));
        if (picture.isNull() || picture.size() == size)
            return picture;
        return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> all;
        for (const int available : sizes)
            all.append(QSize(available, available));
        return all;
    }

    QIconEngine *clone() const override { return new OwnIcon; }
    QString key() const override { return appId + QStringLiteral(".own"); }
};

} // namespace

QIcon rectaIcon()
{
    return QIcon::fromTheme(appId, QIcon(new OwnIcon));
}
