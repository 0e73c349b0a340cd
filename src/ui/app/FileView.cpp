#include "ui/app/FileView.h"

#include "foundation/UserInterface.h"
#include "ui/Guard.h"
#include "ui/PrintKey.h"
#include "ui/app/HelpSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The report's columns line up only when every glyph is equally wide.
bool Monospaced(const QFont& font) {
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(u'i') == metrics.horizontalAdvance(u'W') &&
           metrics.horizontalAdvance(u'.') == metrics.horizontalAdvance(u'M');
}

// "Courier New" where it is monospaced, otherwise the system's fixed font, at 8 points.
QFont ReportFont() {
    QFont courier(u"Courier New"_s, 8);
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    if (Monospaced(courier)) return courier;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    return fixed;
}

} // namespace

TfrmFileView::TfrmFileView(QWidget* owner) : QDialog(owner) {
    setObjectName(u"frmFileView"_s);
    setWindowTitle(u"File Viewer"_s);
    SetHelpContext(this, 11);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(u"RichEdit1"_s);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setFont(ReportFont());

    auto* print = new QPushButton(u"Print"_s, this);
    print->setObjectName(u"btnNotepad"_s);
    print->setAutoDefault(false);
    connect(print, &QPushButton::clicked, this, [this] { Guarded([&] { PrintClicked(); }); });
    PrintOnKey(*print);

    auto* close = new QPushButton(u"Close"_s, this);
    close->setObjectName(u"btnClose"_s);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(print);
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_text);
    resize(900, 640);
}

void TfrmFileView::LoadFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ShowWarning(u"File: \"%1\" not found"_s.arg(path));
        m_path.clear();
        m_text->clear();
        return;
    }
    setWindowTitle(u"File view of: "_s + path);
    // The report is written single-byte (Latin-1).
    m_text->setPlainText(QString::fromLatin1(file.readAll()));
    m_path = path;
}

void TfrmFileView::PrintTo(QPrinter& printer) const {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(m_path);
    m_text->document()->print(&printer);
}

void TfrmFileView::PrintClicked() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(m_path);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(u"dlgPrint"_s);
    if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void ShowFileView(const QString& path, QWidget* owner) {
    TfrmFileView view(owner);
    view.LoadFile(path);
    view.setWindowState(view.windowState() | Qt::WindowMaximized);
    view.exec();
}
