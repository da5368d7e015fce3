#include "canvas.h"
#include "frmRecta.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"

#include <QApplication>
#include <QHash>
#include <QPlainTextEdit>
#include <QTest>

// The window under the desktop's colour schemes, as a theme gives them to Qt: everything on the
// plane and in its fields stays legible, measured on the pixels after a whole session.
class ThemesTest : public QObject
{
    Q_OBJECT

private:
    static QPalette scheme(
        const QColor &window, const QColor &text, const QColor &base, const QColor &highlight)
    {
        QPalette p(text, window, window.lighter(130), window.darker(130), window.darker(110), text,
            text, base, window);
        p.setColor(QPalette::Highlight, highlight);
        p.setColor(QPalette::Disabled, QPalette::Text, text.darker(160));
        p.setColor(QPalette::Disabled, QPalette::Base, window);
        return p;
    }

    // The contrast of a field's text: its most contrasting pixel against its background, the
    // most common pixel inside its frame.
    static double textContrast(QWidget *field)
    {
        const QImage inside = insideFrame(field);
        const QColor background(mostCommon(pixelCounts(inside)));
        double best = 1.0;
        for (int y = 0; y < inside.height(); ++y)
            for (int x = 0; x < inside.width(); ++x)
                best = std::max(best, ::contrastRatio(inside.pixelColor(x, y), background));
        return best;
    }

private Q_SLOTS:
    void contrastRatio_data()
    {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("either order") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
        QTest::newRow("the same colour")
            << QColor(0x80, 0x20, 0x20) << QColor(0x80, 0x20, 0x20) << 1.0;
        QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << 3.998;
        QTest::newRow("grey on white") << QColor(128, 128, 128) << QColor(Qt::white) << 3.949;
        QTest::newRow("blue on light blue") << QColor(Qt::blue) << QColor(192, 192, 255) << 5.002;
    }

    void contrastRatio()
    {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QVERIFY2(std::abs(::contrastRatio(a, b) - ratio) < 0.005,
            qPrintable(QString::number(::contrastRatio(a, b))));
        const QColor greyed = greyedText(a, b, 4.5);
        QVERIFY(::contrastRatio(greyed, b) >= std::min(4.5, ratio) - 1e-9);
    }

    void legible_data()
    {
        QTest::addColumn<QPalette>("theme");
        QTest::newRow("light") << QPalette(QColor(0xef, 0xef, 0xef));
        QTest::newRow("darker") << scheme(QColor(0x35, 0x35, 0x35), QColor(0xe0, 0xe0, 0xe0),
            QColor(0x2a, 0x2a, 0x2a), QColor(0x2a, 0x82, 0xda));
        QTest::newRow("Breeze Dark") << scheme(QColor(0x20, 0x23, 0x26), QColor(0xfc, 0xfc, 0xfc),
            QColor(0x14, 0x16, 0x18), QColor(0x3d, 0xae, 0xe9));
        QTest::newRow("high-contrast black")
            << scheme(Qt::black, Qt::white, Qt::black, QColor(0x1a, 0xeb, 0xff));
        QTest::newRow("high-contrast white")
            << scheme(Qt::white, Qt::black, Qt::white, QColor(0x60, 0x00, 0xd0));
    }

    void legible()
    {
        QFETCH(QPalette, theme);
        QApplication::setPalette(theme);
        Session session;
        // Two lines that cross, the second with its points marked, and a test point off it.
        session.play(QStringLiteral("A=1,2;B=3,6;nova;A=0,4;B=4,0;P=2,5"));
        frmRecta &window = session.window;

        // Each role of the plane is drawn, in its own colour, legibly on the plane's background.
        const QImage plane = window.canvas().image();
        const QHash<QRgb, int> counts = pixelCounts(plane);
        const QColor paper(mostCommon(counts));
        const struct
        {
            const char *role;
            int colour;
            double wanted;
        } roles[] = {
            { "axes, axis numbers, crossing point", 1, 4.5 },
            { "grid dots", 4, 3.0 },
            { "construction marks", 8, 3.0 },
            { "lines", 12, 3.0 },
            { "point marks", 13, 3.0 },
        };
        for (const auto &role : roles) {
            const QColor colour = paletteColour(role.colour);
            QVERIFY2(counts.value(colour.rgb()) > 0, role.role);
            const double ratio = ::contrastRatio(colour, paper);
            QVERIFY2(ratio >= role.wanted,
                qPrintable(QStringLiteral("%1: %2:1").arg(QLatin1String(role.role)).arg(ratio)));
        }

        // The fields' texts, enabled and greyed, and the panel's rules.
        const struct
        {
            const char *name;
            double wanted;
        } fields[] = {
            { "txtequacio", 3.0 }, // the layout's bold red, as the line
            { "txtresultat", 4.5 }, { "txtsino", 4.5 },
            { "txtAx(0)", 4.5 }, // greyed: the line's points are locked
            { "txtAx(2)", 4.5 }, { "txtequacio2", 4.5 }, // greyed
        };
        for (const auto &field : fields) {
            QWidget *control = window.findChild<QWidget *>(QLatin1String(field.name));
            const double ratio = textContrast(control);
            QVERIFY2(ratio >= field.wanted,
                qPrintable(QStringLiteral("%1: %2:1").arg(QLatin1String(field.name)).arg(ratio)));
        }
        QWidget *panel = window.findChild<QWidget *>(QStringLiteral("picValors"));
        const QImage table = panel->grab().toImage();
        // A point on the vertical rule between the x and y columns, clear of the fields.
        const QPoint onRule = QPoint(48, 60) * table.devicePixelRatio();
        const double rule
            = ::contrastRatio(table.pixelColor(onRule), panel->palette().color(QPalette::Window));
        QVERIFY2(rule >= 4.5, qPrintable(QStringLiteral("rules: %1:1").arg(rule)));

        if (const QByteArray shots = qgetenv("RECTA_THEME_SHOTS"); !shots.isEmpty())
            window.grab().save(QString::fromLocal8Bit(shots) + u'/'
                + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"));
    }

    void cleanup() { QApplication::setPalette(QPalette()); }
};

QTEST_MAIN(ThemesTest)
#include "tst_themes.moc"
