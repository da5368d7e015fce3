#include "app/accessibility.h"
#include "app/frmRecta.h"
#include "toolkit/surface.h"
#include "toolkit/texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// Opens the plane's menu where the plane is right-clicked; the fields keep their own.
class PlaneMenuOpener : public QObject
{
public:
    PlaneMenuOpener(QWidget *plane, QMenu *menu)
        : QObject(plane)
        , menu(menu)
    {
        plane->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }

private:
    QMenu *menu;
};

} // namespace

void frmRecta::addPictureCommands()
{
    planeMenu = new QMenu(this);
    planeMenu->setObjectName(QStringLiteral("planeMenu"));
    // Shortcuts that the fields do not use: Ctrl+C copies a field's text.
    auto *copy = planeMenu->addAction(texts::copyPicture);
    copy->setObjectName(QStringLiteral("copyPicture"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    auto *print = planeMenu->addAction(texts::printPicture);
    print->setObjectName(QStringLiteral("printPicture"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    for (QAction *action : { copy, print }) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        addAction(action);
    }
    connect(copy, &QAction::triggered, this, [this] { dispatcher.run([this] { copyPicture(); }); });
    connect(print, &QAction::triggered, this, [this] { printPicture(); });
    new PlaneMenuOpener(surface, planeMenu);

    // From the keyboard, where the focus is always in a field: the menu opens at the field.
    auto *openMenu = new QAction(this);
    openMenu->setObjectName(QStringLiteral("planeMenuKey"));
    openMenu->setShortcuts({ QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10) });
    addAction(openMenu);
    connect(openMenu, &QAction::triggered, this, [this] {
        const QWidget *at = QApplication::focusWidget();
        const QPoint where = at ? at->mapToGlobal(at->rect().center()) : QCursor::pos();
        planeMenu->popup(where);
    });
}

void frmRecta::copyPicture()
{
    auto *data = new QMimeData;
    data->setImageData(surface->picture());
    data->setText(results->planeNow());
    QApplication::clipboard()->setMimeData(data);
    results->pictureCopied();
}

void frmRecta::printPicture()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printPicture(printer);
}

void frmRecta::printPicture(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    // The painter's origin is the corner of the page's printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    surface->paintPicture(painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
    painter.end();
}
