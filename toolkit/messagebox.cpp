#include "toolkit/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

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
    box->exec();
    if (box && box != kept)
        delete box;
}
