#include "ui/app/HelpWindow.h"

#include "ui/Guard.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

THelpWindow::THelpWindow(QWidget* owner) : QDialog(owner, Qt::Window) {
    setObjectName(u"frmHelpViewer"_s);
    setWindowTitle(u"KELVO Help"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"txtHelp"_s);
    m_browser->setOpenExternalLinks(true);

    auto* contents = new QPushButton(u"&Contents"_s, this);
    contents->setObjectName(u"btnContents"_s);
    auto* back = new QPushButton(u"&Back"_s, this);
    back->setObjectName(u"btnBack"_s);
    back->setEnabled(false);
    auto* close = new QPushButton(u"Close"_s, this);
    close->setObjectName(u"btnClose"_s);
    close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(720, 560);

    connect(contents, &QPushButton::clicked, this, [this] {
        Guarded([&] {
            QUrl url = m_browser->source();
            url.setFragment(u"contents"_s);
            m_browser->setSource(url, QTextDocument::HtmlResource);
        });
    });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void THelpWindow::Open(const QString& fileName, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(fileName);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    m_browser->setSource(url, QTextDocument::HtmlResource);
}

QString THelpWindow::Anchor() const {
    return m_browser->source().fragment();
}
