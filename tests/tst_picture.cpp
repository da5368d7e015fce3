#include "palette.h"
#include "session.h"
#include "surface.h"

#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b))
        + std::abs(qBlue(a) - qBlue(b));
}

// Where a picture's pixels near the colour lie, as fractions of where anything but white lies:
// the line against the grid, which fills the plane.
QRectF placeOf(const QImage &picture, const QColor &colour)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QRect found;
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            if (p != qRgb(255, 255, 255))
                drawn |= QRect(x, y, 1, 1);
            if (distance(p, colour.rgb()) < 90)
                found |= QRect(x, y, 1, 1);
        }
    }
    if (found.isEmpty() || drawn.isEmpty())
        return {};
    return QRectF((found.left() - drawn.left()) / qreal(drawn.width()),
        (found.top() - drawn.top()) / qreal(drawn.height()), found.width() / qreal(drawn.width()),
        found.height() / qreal(drawn.height()));
}

bool near(const QRectF &a, const QRectF &b)
{
    const qreal d = 0.02;
    return std::abs(a.left() - b.left()) < d && std::abs(a.top() - b.top()) < d
        && std::abs(a.right() - b.right()) < d && std::abs(a.bottom() - b.bottom()) < d;
}

const QColor lineColour = paletteColour(12);

} // namespace

class PictureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copy_data()
    {
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("zoom 1") << 1.0;
        QTest::newRow("zoom 2") << 2.0;
    }

    // The copy is the window's own picture, twice as sharp: the same drawing and fields.
    void copy()
    {
        QFETCH(qreal, zoom);
        Session s;
        s.window.setZoom(zoom);
        QTest::qWait(50);
        s.play(QStringLiteral("A=-4,-7;B=3,7"));
        auto *surface = s.window.findChild<Surface *>();
        const QImage shown = surface->grab().toImage();
        s.window.copyPicture();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied && copied->hasImage());
        QVERIFY(copied->text().startsWith(QStringLiteral("Recta y és igual a 2 per x més 1.")));
        const QImage picture = qvariant_cast<QImage>(copied->imageData());
        QCOMPARE(picture.size(), shown.size() * 2);

        // Halved, it differs from the screen only at the edges of thin lines and glyphs.
        const QImage halved
            = picture.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB32);
        const QImage screen = shown.convertToFormat(QImage::Format_RGB32);
        qsizetype differing = 0;
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = 0; x < screen.width(); ++x) {
                if (distance(screen.pixel(x, y), halved.pixel(x, y)) > 192)
                    ++differing;
            }
        }
        QVERIFY2(differing < screen.width() * screen.height() / 25,
            qPrintable(QString::number(differing)));
        QVERIFY(near(placeOf(picture, lineColour), placeOf(shown, lineColour)));
    }

    // Printed to a PDF, the page is text and lines where the window has them.
    void print()
    {
        Session s;
        s.play(QStringLiteral("A=-4,-7;B=3,7"));
        const QImage shown = s.window.findChild<Surface *>()->grab().toImage();
        QTemporaryDir dir;
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("RECTA_KEEP_PDF"));
        if (!dir.autoRemove())
            qInfo() << "kept in" << dir.path();
        const QString pdf = dir.filePath(QStringLiteral("pla.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        s.window.printPicture(printer);
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(5), QByteArray("%PDF-"));
#ifdef Q_OS_WIN
        QSKIP("the page is written; poppler's tools, which read it back, are Debian's");
#endif
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QFAIL("pdftotext and pdftoppm (poppler-utils) are needed");

        QProcess text;
        text.start(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
        QVERIFY(text.waitForFinished(20000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString &shownText : { QStringLiteral("-20"), QStringLiteral("16"),
                 s.field(QStringLiteral("txtequacio"))->text() })
            QVERIFY2(words.contains(shownText), qPrintable(shownText + u'|' + words));

        QProcess render;
        render.start(QStringLiteral("pdftoppm"),
            { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("pla")) });
        QVERIFY(render.waitForFinished(20000));
        const QImage page(dir.filePath(QStringLiteral("pla.png")));
        QVERIFY(!page.isNull());
        QVERIFY(near(placeOf(page, lineColour), placeOf(shown, lineColour)));
    }
};

QTEST_MAIN(PictureTest)
#include "tst_picture.moc"
