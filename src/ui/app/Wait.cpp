#include "ui/app/Wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

TfrmWait::TfrmWait(const QString& comment, int steps, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(u"frmWait"_s);
    setWindowTitle(u"Please wait ..."_s);
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(u"Gauge1"_s);
    m_gauge->setTextVisible(true);
    m_gauge->setFormat(u"%p%"_s);
    m_gauge->setAlignment(Qt::AlignCenter);
    m_gauge->setMinimumWidth(320);
    m_gauge->setStyleSheet(u"QProgressBar { border: 1px solid gray; background: white; color: black; }"
                           "QProgressBar::chunk { background: red; }"_s);
    // A bar without a maximum would run as a busy indicator; 0 steps show an empty bar instead.
    m_gauge->setRange(0, steps > 0 ? steps : 1);
    m_gauge->setValue(0);

    m_comment = new QLabel(comment, this);
    m_comment->setObjectName(u"lblComment"_s);
    m_comment->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_gauge);
    layout->addWidget(m_comment);
    adjustSize();
    if (owner) move(owner->window()->frameGeometry().center() - rect().center());
    m_comment->repaint();
}

namespace {

// The operation keeps the event loop busy: the window system's expose and paint events run here, the
// user's input waits until the operation ends.
void LetPaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void TfrmWait::Start() {
    m_gauge->setValue(0);
    show();
    raise();
    // A real display maps the window a moment later; the bar is painted once it can be seen.
    const QDeadlineTimer mapped(500);
    LetPaint();
    while (windowHandle() && !windowHandle()->isExposed() && !mapped.hasExpired()) {
        QThread::msleep(10);
        LetPaint();
    }
    repaint();
    LetPaint();
}

void TfrmWait::Step() {
    if (m_gauge->value() < m_gauge->maximum()) m_gauge->setValue(m_gauge->value() + 1);
    m_gauge->repaint();
    LetPaint();
}

bool TfrmWait::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) repaint();
    return handled;
}
