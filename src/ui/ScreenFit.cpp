#include "ui/ScreenFit.h"

#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

QRect AvailableArea(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QScrollArea* NewScrollArea(QWidget* contents) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName(u"screenFitScroll"_s);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // The window's own background shows through.
    scroll->viewport()->setAutoFillBackground(false);
    contents->setAutoFillBackground(false);
    scroll->setWidget(contents);
    return scroll;
}

// Puts the window's contents into a scroll area; false when they are not laid out (nothing to scroll).
bool MakeScrollable(QWidget& window) {
    if (window.findChild<QScrollArea*>(u"screenFitScroll"_s, Qt::FindDirectChildrenOnly)) return false;
    if (auto* main = qobject_cast<QMainWindow*>(&window)) {
        QWidget* central = main->centralWidget();
        if (!central || qobject_cast<QScrollArea*>(central)) return false;
        main->takeCentralWidget();
        main->setCentralWidget(NewScrollArea(central));
        return true;
    }
    QLayout* layout = window.layout();
    if (!layout) return false;
    auto* contents = new QWidget;
    contents->setObjectName(u"screenFitContents"_s);
    // The layout moves with its widgets; a fixed size it kept now holds the contents only.
    contents->setLayout(layout);
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto* frame = new QVBoxLayout(&window);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(NewScrollArea(contents));
    return true;
}

// Contents larger than the room scroll; the window keeps the size it wanted where there is room, plus
// the room of the scroll bar across a cut direction.
void FitSize(QWidget& window, const QSize& room) {
    const QSize wanted = window.size().expandedTo(window.minimumSizeHint()).expandedTo(window.minimumSize());
    if (wanted.width() <= room.width() && wanted.height() <= room.height()) return;
    if (!MakeScrollable(window)) return;
    // The smallest size follows the scrolling contents now.
    window.layout()->activate();
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    QSize size = wanted;
    if (wanted.height() > room.height()) size.rwidth() += bar;
    if (wanted.width() > room.width()) size.rheight() += bar;
    window.resize(size.boundedTo(room));
}

bool IsPlacedWindow(const QWidget& widget) {
    if (!widget.isWindow()) return false;
    const Qt::WindowType type = widget.windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Tool || type == Qt::Sheet;
}

class TScreenFitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (IsPlacedWindow(*widget)) FitOnScreen(*widget);
        }
        return false;
    }
};

} // namespace

QRect PlaceInside(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    QRect placed = frame;
    if (placed.right() > available.right()) placed.moveRight(available.right());
    if (placed.bottom() > available.bottom()) placed.moveBottom(available.bottom());
    if (placed.left() < available.left()) placed.moveLeft(available.left());
    if (placed.top() < available.top()) placed.moveTop(available.top());
    return placed;
}

void KeepOnScreen(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect placed = PlaceInside(frame, AvailableArea(window));
    if (placed != frame) window.move(placed.topLeft());
}

void FitOnScreen(QWidget& window) {
    const QRect available = AvailableArea(window);
    if (available.isEmpty()) return;
    QMargins margins = FrameMargins(window);
    // Before the window manager framed the window its frame is unknown: room for a title bar is kept.
    if (margins.isNull()) margins.setTop(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));
    FitSize(window, available.size().shrunkBy(margins));
    if (!window.parentWidget() && !window.testAttribute(Qt::WA_Moved)) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(available.center());
        window.move(frame.topLeft());
    }
    KeepOnScreen(window);
}

void FitOnScreenWhenShown(QWidget& window) {
    window.installEventFilter(new TScreenFitFilter(&window));
}

void InstallScreenFit() {
    static TScreenFitFilter* filter = nullptr;
    if (!filter) {
        filter = new TScreenFitFilter(qApp);
        qApp->installEventFilter(filter);
    }
}
