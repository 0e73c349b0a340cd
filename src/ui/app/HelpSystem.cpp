#include "ui/app/HelpSystem.h"

#include "foundation/UserInterface.h"
#include "ui/Guard.h"
#include "ui/app/HelpWindow.h"
#include "foundation/Installation.h"
#include "ui/app/QtUserInterface.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

QPointer<THelpWindow> helpWindow;

QString AnchorName(int context) {
    return context > 0 ? u"ctx-%1"_s.arg(context) : u"contents"_s;
}

bool HasAnchor(const QString& html, const QString& anchor) {
    return html.contains(u"name=\"%1\""_s.arg(anchor)) || html.contains(u"id=\"%1\""_s.arg(anchor));
}

// The help file's text, or an empty text after a warning when it is missing, unreadable or damaged.
QString ReadHelpFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.exists()) {
        ShowWarning(u"Help file not found: %1"_s.arg(fileName));
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        ShowWarning(u"Cannot read the help file %1: %2"_s.arg(fileName, file.errorString()));
        return {};
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString html = decoder.decode(file.readAll());
    if (decoder.hasError() || !html.contains(u"<html"_s, Qt::CaseInsensitive) ||
        !HasAnchor(html, u"contents"_s)) {
        ShowWarning(u"The help file %1 is damaged: it has no table of contents."_s.arg(fileName));
        return {};
    }
    return html;
}

// Help opened over a modal window belongs to it, or the modal window would block it.
THelpWindow* HelpWindowFor(QWidget* owner) {
    if (helpWindow && owner && owner->window() == helpWindow) return helpWindow;
    if (helpWindow && helpWindow->parentWidget() != owner) delete helpWindow.data();
    if (!helpWindow) helpWindow = new THelpWindow(owner);
    return helpWindow;
}

class THelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        const QWidget* target = qobject_cast<QWidget*>(watched);
        if (!target) target = QApplication::focusWidget();
        if (!target) target = QApplication::activeWindow();
        const int context = HelpContextFor(target);
        Guarded([&] { ShowHelp(context); });
        return true;
    }
};

} // namespace

void SetHelpContext(QWidget* widget, int context) {
    widget->setProperty(HelpContextProperty, context);
}

int HelpContextFor(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QWidget* page = nullptr;
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) page = tabs->currentWidget();
        if (const auto* stack = qobject_cast<const QStackedWidget*>(w)) page = stack->currentWidget();
        if (page && page->property(HelpContextProperty).toInt() > 0)
            return page->property(HelpContextProperty).toInt();
        if (const int context = w->property(HelpContextProperty).toInt(); context > 0) return context;
    }
    // A dialog without a context of its own (a message box) answers with its owner's.
    if (widget && widget->window()->parentWidget()) return HelpContextFor(widget->window()->parentWidget());
    return 0;
}

QString HelpFileName() {
    return ProgramFile(u"KELVO.HLP"_s);
}

QString HelpPageFileName() {
    return ProgramFile(u"KELVO.html"_s);
}

void ShowHelp(int context) {
    const QString fileName = HelpFileName();
    const QString html = ReadHelpFile(fileName);
    if (html.isEmpty()) return;
    const QString anchor = AnchorName(context);
    THelpWindow* window = HelpWindowFor(DialogOwner());
    window->Open(fileName, HasAnchor(html, anchor) ? anchor : AnchorName(0));
    window->show();
    window->raise();
    window->activateWindow();
}

void ShowHelpContents() {
    ShowHelp(0);
}

void InstallHelpKey() {
    static THelpKeyFilter* filter = nullptr;
    if (!filter) {
        filter = new THelpKeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}
