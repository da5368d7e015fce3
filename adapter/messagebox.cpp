#include "messagebox.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>

namespace {

// On Wayland Qt draws the title bar itself (where the compositor draws none): the title centred
// across the box, clipped between the icon and the three buttons on the right, which take about
// 85 pixels, in a font of 14 pixels. A box as narrow as its text has its title cut to a letter.
constexpr int titleBarSide = 85;
constexpr int titlePixels = 14;

void roomForTitle(QMessageBox *box)
{
    if (!QGuiApplication::platformName().startsWith(u"wayland"))
        return;
    QFont titleFont = box->font();
    titleFont.setPixelSize(titlePixels);
    titleFont.setBold(true);
    const int wanted
        = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + 2 * titleBarSide;
    // The box sizes itself to its text when shown; a wider text label widens it.
    auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (label) {
        label->setMinimumWidth(
            std::max(0, wanted - (box->sizeHint().width() - label->sizeHint().width())));
    }
}

} // namespace

void messageBox(const QString &text)
{
    QWidget *parent = QApplication::activeWindow();
    // The box of a message just closed can still be the active window for a moment.
    if (!parent || !parent->isVisible()) {
        parent = nullptr;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->isVisible() && !window->windowTitle().isEmpty()) {
                parent = window;
                break;
            }
        }
    }
    const QString title = parent ? parent->windowTitle() : QApplication::applicationDisplayName();

    // One box, shown again each time: every new box's OK button brings a new icon whose
    // pixmaps Qt keeps in its pixmap cache, about 2 KB a box on X11 until that cache is full.
    static QPointer<QMessageBox> kept;
    QPointer<QMessageBox> box;
    if (kept && kept->isVisible()) {
        // Asked for while the kept box is open: a box of its own.
        box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    } else {
        if (kept && kept->parentWidget() != parent)
            delete kept;
        if (!kept)
            kept = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box = kept;
    }
    box->setWindowTitle(title);
    box->setText(text);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // The Orca that comes with Qt 6.8 (48, Debian 13) reads an alert by its description, or else
    // by its labels of three words or more, which leaves " falten dades" unsaid. Orca 43, with
    // Qt 6.4, reads the label, and then the description as well.
    box->setAccessibleDescription(text);
#endif
    roomForTitle(box);
    box->exec();
    if (box && box != kept)
        delete box;
}
