#include "accessibility.h"
#include "field.h"
#include "frmRecta.h"
#include "surface.h"
#include "texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <functional>
#include <utility>

namespace {

// Opens the plane's menu for a context menu event: where the plane is right-clicked, and in a
// field for the Menu key, which the window system hands the field as a context menu of the
// keyboard's and which would otherwise open the field's own edit menu. A field keeps that menu
// for the mouse.
class PlaneMenuOpener : public QObject
{
public:
    PlaneMenuOpener(QWidget *watched, bool keyboardOnly, std::function<void(QPoint)> open)
        : QObject(watched)
        , keyboardOnly(keyboardOnly)
        , open(std::move(open))
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (keyboardOnly && menuEvent->reason() != QContextMenuEvent::Keyboard)
            return false;
        open(menuEvent->globalPos());
        return true;
    }

private:
    bool keyboardOnly;
    std::function<void(QPoint)> open;
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
    new PlaneMenuOpener(surface, false, [this](QPoint where) { planeMenu->popup(where); });

    // From the keyboard, where the focus is always in a field: the menu opens at the field.
    auto *openMenu = new QAction(this);
    openMenu->setObjectName(QStringLiteral("planeMenuKey"));
    openMenu->setShortcuts({ QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10) });
    addAction(openMenu);
    connect(openMenu, &QAction::triggered, this, [this] { openPlaneMenuAtFocus(); });
    const Controls &c = state.controls;
    for (const Field *field : { &c.txtAx[0], &c.txtAy[0], &c.txtAx[1], &c.txtAy[1], &c.txtAx[2],
             &c.txtAy[2], &c.txtequacio, &c.txtsino, &c.txtresultat }) {
        new PlaneMenuOpener(field->widget(), true, [this](QPoint) { openPlaneMenuAtFocus(); });
    }
}

void frmRecta::openPlaneMenuAtFocus()
{
    // The key can come both as a context menu and as the shortcut.
    if (planeMenu->isVisible())
        return;
    const QWidget *at = QApplication::focusWidget();
    const QPoint where = at ? at->mapToGlobal(at->rect().center()) : QCursor::pos();
    planeMenu->popup(where);
    // Opened from the keyboard, the menu starts at its first command, as a desktop's menus do:
    // a screen reader says it as the menu opens, where an open menu without one is silent.
    planeMenu->setActiveAction(planeMenu->actions().constFirst());
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
