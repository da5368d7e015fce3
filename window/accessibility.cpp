#include "accessibility.h"

#include "field.h"
#include "gridpoint.h"
#include "pointentry.h"
#include "relation.h"
#include "texts.h"
#include "windowstate.h"

#include <QAccessibleWidget>
#include <QStringList>
#include <QWidget>

using texts::said;

namespace {

// Where the plane keeps its description for screen readers to read, apart from the widget's own:
// the plane holds every field, and Orca 48 speaks each description change of an ancestor of the
// focus, so a change would say every result a second time after its announcement.
constexpr char planeDescriptionKey[] = "recta-plane-description";

// The plane as a screen reader sees it: a picture whose text is its description, so that a
// review of the window (Orca's flat review) reads what the plane shows where the plane is, in
// Catalan.
class PlaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PlaneAccessible(QWidget *plane)
        : QAccessibleWidget(plane, QAccessible::Graphic)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Description ? said() : QAccessibleWidget::text(kind);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        return said().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(said().size()); }
    // The text has no place of its own on the plane: it stands for the whole of it.
    QRect characterRect(int) const override
    {
        return QRect(widget()->mapToGlobal(QPoint(0, 0)), widget()->size());
    }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QStringLiteral("language:ca;");
    }

private:
    QString said() const
    {
        // With the keyboard on the plane's cursor, what is told there (where the cursor is, the
        // point placed) is told as the plane's description, as at a field.
        if (widget()->hasFocus())
            return widget()->accessibleDescription();
        const QVariant kept = widget()->property(planeDescriptionKey);
        return kept.isValid() ? kept.toString() : widget()->accessibleDescription();
    }
};

QAccessibleInterface *planeAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("Surface") && object && object->isWidgetType())
        return new PlaneAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void presentPlaneAsPicture()
{
    static const bool installed = [] {
        QAccessible::installFactory(planeAccessible);
        return true;
    }();
    Q_UNUSED(installed)
}

ScreenReaderResults::ScreenReaderResults(QWidget *plane)
    : plane(plane)
    , emptyPlane(plane->accessibleDescription())
{
}

void ScreenReaderResults::handlerEnded(WindowState &state)
{
    const Plane &model = state.plane;
    const DrawnLine *line = model.onPlane();

    PlaneFacts facts;
    if (line)
        facts.equation = line->equation;
    if (model.kept)
        facts.keptEquation = model.kept->equation;
    if (model.test) {
        facts.verdict = model.test->verdict;
        facts.testX = model.test->x;
        facts.testY = model.test->y;
    }
    if (line && model.kept)
        facts.comparison = model.meeting;
    const QString description = planeDescription(facts);
    const QString planeNow = description.isEmpty() ? emptyPlane : description;
    plane->setProperty(planeDescriptionKey, planeNow);

    ShownResults results;
    if (state.shown.line && model.current)
        results.equation = model.current->equation;
    if (state.shown.test && model.test) {
        results.worked = model.test->worked;
        results.verdict = model.test->verdict;
    }
    if (state.shown.comparison)
        results.comparison = model.meeting;
    results.kept = state.shown.kept;
    results.keptNothing = state.shown.keptNothing;
    results.cleared = state.shown.cleared;
    results.cursor = state.shown.cursor;
    results.cursorOnLine = state.shown.cursor && line && onLine(*state.shown.cursor, line->line);
    results.placedRow = state.shown.placedRow;
    results.placed = state.shown.placed;
    results.noSound = state.shown.noSound;
    results.landmarks = state.shown.landmarks;
    const bool planeAsked = state.shown.plane;
    state.shown = {};
    const QString told = planeAsked ? planeNow : resultsText(results);
    if (!told.isEmpty())
        announcer.announce(told, plane);
    // A handler that moved the focus and told nothing: the field is told all the same.
    tellPendingFocus();
}

void ScreenReaderResults::pictureCopied()
{
    announcer.announce(said.copied, plane);
}

QString ScreenReaderResults::planeNow() const
{
    const QVariant kept = plane->property(planeDescriptionKey);
    return kept.isValid() ? kept.toString() : emptyPlane;
}
