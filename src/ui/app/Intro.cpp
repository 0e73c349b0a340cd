#include "ui/app/Intro.h"

#include "foundation/Installation.h"
#include "ui/app/RtfReader.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmIntro::TfrmIntro(QWidget* owner) : QDialog(owner) {
    setObjectName(u"frmIntro"_s);
    setWindowTitle(u"Introduction to KELVO"_s);

    m_text = new QTextEdit(this);
    m_text->setObjectName(u"edtIntro"_s);
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ReadRtfFile(IntroFileName(), m_text->document());
    // The reader leaves the cursor after the last paragraph: the introduction opens at its start.
    m_text->moveCursor(QTextCursor::Start);

    auto* close = new QPushButton(u"Close"_s, this);
    close->setObjectName(u"btnClose"_s);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(680, 520);
}

QString IntroFileName() {
    return ProgramFile(u"KelvoIntro.rtf"_s);
}

void ShowIntro(QWidget* owner) {
    TfrmIntro intro(owner);
    intro.exec();
}
