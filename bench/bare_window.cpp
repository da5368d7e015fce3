// The floor for a start-up: a bare Qt program with a window of the real one's shape (its size,
// a menu bar of two commands, the same kinds of fields at the same places on a coloured panel)
// whose client area paints its background only, as any window shows at least that. It ends
// right after its first frame, as the probe does.
// With --fonts the fields and the client area also get the real window's fonts, chosen by the
// toolkit's code that the real window uses (one installed family each), which shows what
// loading them costs any program of this shape.
#include "fonts.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdlib>

namespace {

class EmptyArea : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    // Every pixel of the client area is set once, as a shown window's are; left unpainted, its
    // part of the backing store would never be touched and would not count as memory.
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), palette().window()); }
};

class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen = false;
};

template <class Field> Field *addField(QWidget *parent, int x, int y, int width, int height)
{
    auto *field = new Field(parent);
    field->setGeometry(x, y, width, height);
    return field;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Recta"));
    window.menuBar()->addAction(QStringLiteral("esborrar"));
    window.menuBar()->addAction(QStringLiteral("nova recta"));

    // The real window's client area and its controls, in pixels.
    auto *area = new EmptyArea(&window);
    area->setFixedSize(734, 546);
    area->setAttribute(Qt::WA_OpaquePaintEvent);
    window.setCentralWidget(area);

    auto *kept = addField<QPlainTextEdit>(area, 128, 8, 97, 33);
    kept->setEnabled(false);
    auto *panel = new QWidget(area);
    panel->setGeometry(8, 8, 105, 233);
    QPalette colours = panel->palette();
    colours.setColor(QPalette::Window, QColor(192, 192, 255));
    panel->setPalette(colours);
    panel->setAutoFillBackground(true);
    auto *worked = addField<QPlainTextEdit>(area, 8, 192, 113, 25);
    auto *verdict = addField<QLineEdit>(panel, -8, 160, 113, 27);
    auto *equation = addField<QLineEdit>(panel, 0, 8, 113, 25);
    QList<QWidget *> coordinates;
    for (int row = 0; row < 3; ++row) {
        const int top = 88 + 24 * row;
        auto *x = addField<QLineEdit>(panel, 16, top, 25, 19);
        auto *y = addField<QLineEdit>(panel, 56, top, 25, 19);
        x->setEnabled(row < 2);
        y->setEnabled(row < 2);
        coordinates << x << y;
    }

    if (QCoreApplication::arguments().contains(QStringLiteral("--fonts"))) {
        const QFont small = sansSerif(8.25);
        for (QWidget *widget : QList<QWidget *> { area, kept, worked } + coordinates)
            widget->setFont(small);
        verdict->setFont(serif(8.25));
        equation->setFont(sansSerif(9.75));
    }

    window.setFixedSize(734, 546 + window.menuBar()->sizeHint().height());
    FirstPaint watcher;
    area->installEventFilter(&watcher);
    window.show();
    return app.exec();
}
