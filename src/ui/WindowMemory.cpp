#include "ui/WindowMemory.h"

#include "foundation/Installation.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

bool IsRemembered(const QObject& object) {
    if (!object.isWidgetType()) return false;
    const auto& widget = static_cast<const QWidget&>(object);
    if (!widget.isWindow() || widget.objectName().isEmpty() || qobject_cast<const QMessageBox*>(&widget))
        return false;
    const Qt::WindowType type = widget.windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool || type == Qt::Sheet;
}

bool HasFixedSize(const QWidget& window) {
    if (window.layout() && window.layout()->sizeConstraint() == QLayout::SetFixedSize) return true;
    return window.minimumSize() == window.maximumSize();
}

// The named children of a kind.
template <typename T> QList<T*> NamedChildren(const QWidget& window) {
    QList<T*> named;
    for (T* child : window.findChildren<T*>())
        if (!child->objectName().isEmpty()) named << child;
    return named;
}

QList<int> ColumnWidths(const QHeaderView& header) {
    QList<int> widths;
    for (int section = 0; section < header.count(); ++section)
        widths << header.sectionSize(section);
    return widths;
}

void SetColumnWidths(QHeaderView& header, const QVariantList& widths) {
    if (widths.size() != header.count()) return;
    for (int section = 0; section < header.count(); ++section) {
        const int width = widths[section].toInt();
        if (width > 0 && !header.isSectionHidden(section)) header.resizeSection(section, width);
    }
}

class TWindowMemoryFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A window the window manager minimises or restores is not moved by Kelvo.
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && !event->spontaneous() &&
            IsRemembered(*watched)) {
            auto* window = static_cast<QWidget*>(watched);
            if (type == QEvent::Show)
                RestoreWindow(*window);
            else
                RememberWindow(*window);
        }
        return false;
    }
};

TWindowMemoryFilter* installedFilter = nullptr;

} // namespace

QString WindowMemoryFile() {
    return InstallationDir() + u"settings.ini"_s;
}

bool ShowsOnAScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(frame)) return true;
    return false;
}

void RestoreWindow(QWidget& window) {
    QSettings settings(WindowMemoryFile(), QSettings::IniFormat);
    settings.beginGroup(window.objectName());
    const QPoint position = settings.value(u"position"_s).toPoint();
    const QSize size = settings.value(u"size"_s).toSize();
    if (size.isValid() && ShowsOnAScreen(QRect(position, HasFixedSize(window) ? window.size() : size))) {
        if (!HasFixedSize(window)) window.resize(size);
        window.move(position);
        if (settings.value(u"maximized"_s).toBool())
            window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    settings.beginGroup(u"grids"_s);
    for (QTableView* grid : NamedChildren<QTableView>(window))
        if (settings.contains(grid->objectName()))
            SetColumnWidths(*grid->horizontalHeader(), settings.value(grid->objectName()).toList());
    settings.endGroup();
    settings.beginGroup(u"tabs"_s);
    for (QTabWidget* tabs : NamedChildren<QTabWidget>(window)) {
        const int page = settings.value(tabs->objectName(), -1).toInt();
        if (page >= 0 && page < tabs->count() && tabs->isTabEnabled(page) && tabs->isTabVisible(page))
            tabs->setCurrentIndex(page);
    }
    settings.endGroup();
}

void RememberWindow(const QWidget& window) {
    QSettings settings(WindowMemoryFile(), QSettings::IniFormat);
    settings.beginGroup(window.objectName());
    // A maximised window remembers the place it goes back to.
    const bool maximized = window.isMaximized();
    const QRect normal = maximized ? window.normalGeometry() : QRect(window.pos(), window.size());
    settings.setValue(u"position"_s, normal.topLeft());
    settings.setValue(u"size"_s, normal.size());
    settings.setValue(u"maximized"_s, maximized);
    settings.beginGroup(u"grids"_s);
    for (const QTableView* grid : NamedChildren<QTableView>(window)) {
        QVariantList widths;
        for (const int width : ColumnWidths(*grid->horizontalHeader()))
            widths << width;
        settings.setValue(grid->objectName(), widths);
    }
    settings.endGroup();
    settings.beginGroup(u"tabs"_s);
    for (const QTabWidget* tabs : NamedChildren<QTabWidget>(window))
        settings.setValue(tabs->objectName(), tabs->currentIndex());
    settings.endGroup();
}

void InstallWindowMemory() {
    if (installedFilter) return;
    installedFilter = new TWindowMemoryFilter(qApp);
    qApp->installEventFilter(installedFilter);
}

void RemoveWindowMemory() {
    delete installedFilter;
    installedFilter = nullptr;
}
