#include "toolkit/messagebox.h"

#include <QApplication>
#include <QMessageBox>

void messageBox(const QString &text)
{
    QWidget *parent = QApplication::activeWindow();
    if (!parent) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->isVisible() && !window->windowTitle().isEmpty()) {
                parent = window;
                break;
            }
        }
    }
    const QString title = parent ? parent->windowTitle() : QApplication::applicationDisplayName();
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}
