#include "ui/TabOrder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QScrollArea>
#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLayout>
#include <QVector>
#include <QWidget>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const char* const OrderedProperty = "kelvoTabOrdered";

// The buttons that close, leave or turn a dialog, by the names the windows give them.
bool IsClosingButton(const QWidget& widget) {
    if (!qobject_cast<const QAbstractButton*>(&widget)) return false;
    static const QStringList names = {u"btnOK"_s,    u"btnOk"_s,   u"OKBtn"_s,     u"btnCancel"_s,
                                      u"CancelBtn"_s, u"btnClose"_s, u"btnHelp"_s, u"HelpBtn"_s,
                                      u"btnExit"_s,  u"btnBack"_s,  u"btnNext"_s,   u"btnFinish"_s};
    return names.contains(widget.objectName());
}

// Lays out every layout of the window, also those of hidden pages, so that their places are known.
void Activate(QWidget& window) {
    if (QLayout* layout = window.layout()) layout->activate();
    for (QWidget* child : window.findChildren<QWidget*>())
        if (QLayout* layout = child->layout()) {
            layout->activate();
            // Inside the margins the widget keeps for itself, as a group box for its title.
            layout->setGeometry(child->contentsRect());
        }
}

// The children in reading order: row by row from the top, left to right in a row. A row is led by its
// topmost widget; a widget whose vertical middle lies within the leader's height shares its row.
QVector<QWidget*> ReadingOrder(const QWidget& parent) {
    QVector<QWidget*> children;
    for (QObject* object : parent.children())
        if (object->isWidgetType() && !static_cast<QWidget*>(object)->isWindow())
            children.append(static_cast<QWidget*>(object));
    const auto byPlace = [](const QWidget* a, const QWidget* b) {
        const QPoint pa = a->geometry().topLeft();
        const QPoint pb = b->geometry().topLeft();
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    };
    std::stable_sort(children.begin(), children.end(), byPlace);
    QVector<QWidget*> ordered;
    for (qsizetype first = 0; first < children.size();) {
        const QRect leader = children[first]->geometry();
        qsizetype end = first + 1;
        while (end < children.size() && children[end]->geometry().center().y() <= leader.bottom())
            ++end;
        QVector<QWidget*> row(children.begin() + first, children.begin() + end);
        std::stable_sort(row.begin(), row.end(), [](const QWidget* a, const QWidget* b) {
            return a->geometry().left() < b->geometry().left();
        });
        ordered += row;
        first = end;
    }
    return ordered;
}

// The widgets that take the focus by Tab, depth first: a container's fields before the next container's.
// A widget that handles its own children's focus (a grid, a list, a spin box, a combo box) counts as one.
void CollectFocusable(const QWidget& parent, QVector<QWidget*>& fields, QVector<QWidget*>& closing) {
    for (QWidget* child : ReadingOrder(parent)) {
        if (auto* box = qobject_cast<QDialogButtonBox*>(child)) {
            for (QAbstractButton* button : box->buttons())
                closing.append(button);
            continue;
        }
        if (auto* scroll = qobject_cast<QScrollArea*>(child)) {
            CollectFocusable(*scroll->viewport(), fields, closing);
            continue;
        }
        if ((child->focusPolicy() & Qt::TabFocus) && !child->focusProxy())
            (IsClosingButton(*child) ? closing : fields).append(child);
        if (qobject_cast<QAbstractScrollArea*>(child) || qobject_cast<QAbstractSpinBox*>(child) ||
            qobject_cast<QComboBox*>(child))
            continue;
        CollectFocusable(*child, fields, closing);
    }
}

// The model index of a grid's first or last shown cell.
QModelIndex EndCell(const QAbstractItemView& view, bool last) {
    const QAbstractItemModel* model = view.model();
    const auto* table = qobject_cast<const QTableView*>(&view);
    if (!model || !table || model->rowCount() == 0) return {};
    const QHeaderView* columns = table->horizontalHeader();
    const QHeaderView* rows = table->verticalHeader();
    for (int v = 0; v < columns->count(); ++v) {
        const int column = columns->logicalIndex(last ? columns->count() - 1 - v : v);
        if (columns->isSectionHidden(column)) continue;
        for (int w = 0; w < rows->count(); ++w) {
            const int row = rows->logicalIndex(last ? rows->count() - 1 - w : w);
            if (!rows->isSectionHidden(row)) return model->index(row, column);
        }
    }
    return {};
}

// A grid takes Tab from cell to cell; Tab on its last cell, Shift+Tab on its first and Ctrl+Tab anywhere
// leave it for the next or previous control, so that no grid holds the keyboard.
bool LeaveGrid(QAbstractItemView& view, const QKeyEvent& key) {
    if (!view.tabKeyNavigation()) return false;
    const bool back = key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
    const bool control = key.modifiers() & Qt::ControlModifier;
    const QModelIndex current = view.currentIndex();
    if (!control && current.isValid() && current != EndCell(view, !back)) return false;
    view.setTabKeyNavigation(false);
    QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &plain);
    view.setTabKeyNavigation(true);
    return true;
}

class TTabOrderFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            auto* view = qobject_cast<QAbstractItemView*>(watched);
            if (view && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) return LeaveGrid(*view, *key);
        }
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && !widget->property(OrderedProperty).toBool()) {
                widget->setProperty(OrderedProperty, true);
                SetReadingTabOrder(*widget);
            }
        }
        return false;
    }
};

} // namespace

void SetReadingTabOrder(QWidget& window) {
    Activate(window);
    QVector<QWidget*> fields;
    QVector<QWidget*> closing;
    CollectFocusable(window, fields, closing);
    fields += closing;
    for (qsizetype i = 1; i < fields.size(); ++i)
        QWidget::setTabOrder(fields[i - 1], fields[i]);
}

namespace {

TTabOrderFilter* Filter = nullptr;

} // namespace

void InstallTabOrder() {
    if (!Filter) {
        Filter = new TTabOrderFilter(qApp);
        qApp->installEventFilter(Filter);
    }
}

void RemoveTabOrder() {
    delete Filter;
    Filter = nullptr;
}
