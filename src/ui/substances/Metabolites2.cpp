#include "ui/substances/Metabolites2.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SelectMetabolite = u"Select a metabolite."_s;
const QString EnterFractionFirst = u"First enter a fraction."_s;
const QString SelectDifferent = u"Select 2 different metabolites."_s;

QLabel* Named(QLabel* label, const QString& name) {
    label->setObjectName(name);
    return label;
}

void Select(QComboBox* list, const QString& code) {
    list->setCurrentIndex(list->findText(code));
}

} // namespace

TfrmMetabolites2::TfrmMetabolites2(TdmKelvoADO& dm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_groupBox1(new QGroupBox(u" Relationship "_s, this)),
      m_pnl12(new QFrame(this)), m_pnl3(new QFrame(this)), m_pnlParent1(new QLabel(m_pnl3)),
      m_pnlParent2(new QLabel(m_pnl12)),
      m_lblMacro(new QLabel(u"Fraction for MACRO expressed on a mass basis."_s, this)),
      m_lblPRZM(new QLabel(u"Fraction for PRZM expressed on a molar basis."_s, this)),
      m_btnOK(new QPushButton(u"OK"_s, this)) {
    setObjectName(u"frmMetabolites2"_s);
    setWindowTitle(u"Metabolite scheme"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_groupBox1->setObjectName(u"GroupBox1"_s);
    m_pnl12->setObjectName(u"pnl12"_s);
    m_pnl3->setObjectName(u"pnl3"_s);
    m_pnlParent1->setObjectName(u"pnlParent1"_s);
    m_pnlParent2->setObjectName(u"pnlParent2"_s);
    for (QLabel* parentCode : {m_pnlParent1, m_pnlParent2})
        parentCode->setFrameShape(QFrame::Panel), parentCode->setFrameShadow(QFrame::Sunken);
    m_lblMacro->setObjectName(u"lblMacro"_s);
    m_lblPRZM->setObjectName(u"lblPRZM"_s);
    m_btnOK->setObjectName(u"btnOK"_s);
    m_btnOK->setDefault(true);

    // The schemes.
    auto* schemes = new QButtonGroup(this);
    auto* relationship = new QVBoxLayout(m_groupBox1);
    const std::pair<QString, QString> buttons[] = {
        {u"rbOneNo"_s, u"One Parent, no metabolite"_s},
        {u"RbOneOne"_s, u"One Parent, one metabolite"_s},
        {u"rbOneTwo"_s, u"One Parent, two metabolites"_s},
        {u"rbOneOneTwo"_s, u"PRZM: One Parent -> first metabolite -> second metabolite"_s}};
    for (const auto& [name, caption] : buttons) {
        auto* radio = new QRadioButton(caption, m_groupBox1);
        radio->setObjectName(name);
        schemes->addButton(radio, static_cast<int>(m_schemes.size()));
        relationship->addWidget(radio);
        m_schemes << radio;
    }
    auto* note = Named(new QLabel(u"MACRO: One Parent, one metabolite"_s, m_groupBox1), u"Label7"_s);
    note->setContentsMargins(22, 0, 0, 0);
    relationship->addWidget(note);

    // Schemes 2 and 3: both metabolites formed from the parent.
    auto* pair = new QGridLayout(m_pnl12);
    pair->addWidget(new QLabel(u"Parent:"_s), 0, 0);
    pair->addWidget(m_pnlParent2, 0, 1);
    pair->addWidget(Named(new QLabel(u"_____>"_s), u"Label1"_s), 1, 0);
    pair->addWidget(Named(new QLabel(u"Metabolite 1:"_s), u"lblMetab1"_s), 1, 1);
    m_cmbMetaP1 = MetaboliteList(u"cmbMetaP1"_s, false, 1);
    pair->addWidget(m_cmbMetaP1, 1, 2);
    pair->addWidget(new QLabel(u"fraction:"_s), 1, 3);
    pair->addWidget(FractionEdit(u"edtHLP1Macro"_s, false, 1, true), 1, 4);
    pair->addWidget(new QLabel(u"(MACRO)"_s), 1, 5);
    pair->addWidget(FractionEdit(u"edtHLP1"_s, false, 1, false), 1, 6);
    pair->addWidget(new QLabel(u"(PRZM)"_s), 1, 7);
    m_cmbMetaP2 = MetaboliteList(u"cmbMetaP2"_s, false, 2);
    m_secondRow = {Named(new QLabel(u"_____>"_s), u"Label3"_s),
                   Named(new QLabel(u"Metabolite 2:"_s), u"Label11"_s),
                   m_cmbMetaP2,
                   Named(new QLabel(u"fraction:"_s), u"Label15"_s),
                   FractionEdit(u"edtHLP2Macro"_s, false, 2, true),
                   Named(new QLabel(u"(MACRO)"_s), u"Label16"_s),
                   FractionEdit(u"edtHLP2"_s, false, 2, false),
                   Named(new QLabel(u"(PRZM)"_s), u"Label17"_s)};
    for (int column = 0; column < m_secondRow.size(); ++column)
        pair->addWidget(m_secondRow[column], 2, column);
    m_secondRow << Named(new QLabel(m_pnl12), u"Label19"_s);

    // Scheme 4: the chain parent -> metabolite 1 -> metabolite 2.
    auto* chain = new QGridLayout(m_pnl3);
    chain->addWidget(new QLabel(u"Parent:"_s), 0, 0);
    chain->addWidget(m_pnlParent1, 0, 1);
    chain->addWidget(new QLabel(u"_____>"_s), 0, 2);
    chain->addWidget(new QLabel(u"Metabolite 1:"_s), 0, 3);
    m_cmbMeta1 = MetaboliteList(u"cmbMeta1"_s, true, 1);
    chain->addWidget(m_cmbMeta1, 0, 4);
    chain->addWidget(new QLabel(u"_____>"_s), 0, 5);
    chain->addWidget(Named(new QLabel(u"Metabolite 2:"_s), u"lblMeta2"_s), 0, 6);
    m_cmbMeta12 = MetaboliteList(u"cmbMeta12"_s, true, 2);
    chain->addWidget(m_cmbMeta12, 0, 7);
    auto* parentStep = new QHBoxLayout;
    parentStep->addWidget(new QLabel(u"fraction:"_s));
    parentStep->addWidget(FractionEdit(u"edtHL1Macro"_s, true, 1, true));
    parentStep->addWidget(new QLabel(u"(MACRO)"_s));
    parentStep->addWidget(FractionEdit(u"edtHL1"_s, true, 1, false));
    parentStep->addWidget(new QLabel(u"(PRZM)"_s));
    chain->addLayout(parentStep, 1, 1, 1, 4);
    chain->addWidget(new QLabel(u"<------------ only for PRZM ------------->"_s), 2, 4, 1, 4,
                     Qt::AlignCenter);
    auto* chainStep = new QHBoxLayout;
    chainStep->addWidget(new QLabel(u"fraction:"_s));
    chainStep->addWidget(FractionEdit(u"edtHL2"_s, true, 2, false));
    chainStep->addWidget(new QLabel(u"(PRZM)"_s));
    chain->addLayout(chainStep, 1, 5, 1, 3);

    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"btnCancel"_s);
    // Clicking Cancel leaves a refused fraction where it is, so the refusal cannot stop the cancel.
    cancel->setFocusPolicy(Qt::NoFocus);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_btnOK);
    buttonRow->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_groupBox1);
    layout->addWidget(m_pnl12);
    layout->addWidget(m_pnl3);
    layout->addWidget(m_lblMacro);
    layout->addWidget(m_lblPRZM);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(schemes, &QButtonGroup::idClicked, this,
            [this](int index) { Guarded([&] { SchemeClicked(index); }); });
    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Guarded([this] { Activate(); });
}

// The fields lose the focus while they go: nothing is entered then.
TfrmMetabolites2::~TfrmMetabolites2() {
    for (const auto& field : m_fields)
        field->edit->disconnect(this);
}

QComboBox* TfrmMetabolites2::MetaboliteList(const QString& name, bool chain, int position) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->setMinimumContentsLength(12);
    connect(list, &QComboBox::activated, this,
            [this, list, chain, position] { MetaboliteChosen(list, chain, position); });
    return list;
}

QLineEdit* TfrmMetabolites2::FractionEdit(const QString& name, bool chain, int step, bool macro) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMaximumWidth(70);
    edit->setToolTip(macro ? u"Formation fraction (-, 0 to 1), on a mass basis"_s
                           : u"Formation fraction (-, 0 to 1), on a molar basis"_s);
    auto& field = *m_fields.emplace_back(std::make_unique<TFractionField>());
    field = {edit, step, macro, chain, false};
    connect(edit, &QLineEdit::textEdited, this, [&field] { field.edited = true; });
    connect(edit, &QLineEdit::editingFinished, this, [this, &field] { FractionLeft(field); });
    return edit;
}

void TfrmMetabolites2::SetViewOnly(bool viewOnly) {
    m_viewOnly = viewOnly;
    for (QWidget* w : {m_groupBox1, m_pnl12, m_pnl3, static_cast<QWidget*>(m_btnOK)})
        w->setEnabled(!viewOnly);
}

void TfrmMetabolites2::Activate() {
    m_parent = m_dm.tblSubstances.fieldByName(u"SubstanceCode"_s).asString();
    // Both panels show the stored values, each as its scheme reads them.
    m_pair = ReadMetaboliteScheme(m_dm, m_parent, 3);
    m_chain = ReadMetaboliteScheme(m_dm, m_parent, 4);
    const QStringList free = m_dm.ListFreeMetabolites(m_parent);
    for (QComboBox* list : {m_cmbMetaP1, m_cmbMetaP2, m_cmbMeta1, m_cmbMeta12}) {
        list->clear();
        list->addItems(free);
    }
    m_pnlParent1->setText(m_parent);
    m_pnlParent2->setText(m_parent);
    Select(m_cmbMetaP1, m_pair.metabolite1);
    Select(m_cmbMeta1, m_chain.metabolite1);
    Select(m_cmbMetaP2, m_pair.metabolite2);
    Select(m_cmbMeta12, m_chain.metabolite2);
    const int icombo3 = m_dm.tblSubstancesPRZM.fieldByName(u"icombo3"_s).asInteger();
    const int index = std::clamp(icombo3 - 1, 0, 3);
    m_schemes[index]->setChecked(true);
    SchemeClicked(index);
    ShowFractions();
}

void TfrmMetabolites2::SchemeClicked(int index) {
    m_schemeIndex = index;
    if (index == 1 || index == 2) m_pair.scheme = index + 1;
    m_pnl12->setVisible(index == 1 || index == 2);
    m_pnl3->setVisible(index == 3);
    m_lblMacro->setVisible(index > 0);
    m_lblPRZM->setVisible(index > 0);
    for (QWidget* w : m_secondRow)
        w->setVisible(index == 2);
    if (index == 1 || index == 2) m_cmbMetaP1->setFocus();
    if (index == 3) m_cmbMeta1->setFocus();
}

void TfrmMetabolites2::MetaboliteChosen(QComboBox* list, bool chain, int position) {
    TMetaboliteScheme& scheme = chain ? m_chain : m_pair;
    if (!Guarded([&] { ChooseMetabolite(m_dm, scheme, position, list->currentText()); }))
        list->setCurrentIndex(-1);
    ShowFractions();
}

// The texts of every fraction field from the values of its panel.
void TfrmMetabolites2::ShowFractions() {
    for (const auto& field : m_fields) {
        const TMetaboliteScheme& scheme = field->chain ? m_chain : m_pair;
        const TFractionTexts& step = field->step == 1 ? scheme.step1 : scheme.step2;
        field->edit->setText(field->macro ? step.macro : step.przm);
        field->edited = false;
    }
}

void TfrmMetabolites2::FractionLeft(TFractionField& field) {
    if (!field.edited || m_leaving) return;
    m_leaving = true;
    TMetaboliteScheme& scheme = field.chain ? m_chain : m_pair;
    const bool taken =
        Guarded([&] { EnterFraction(m_dm, scheme, field.step, field.macro, field.edit->text()); });
    m_leaving = false;
    if (!taken) {
        field.edit->setFocus();
        return;
    }
    for (const auto& other : m_fields)
        if (other->chain == field.chain && other->step == field.step) {
            const TFractionTexts& step = field.step == 1 ? scheme.step1 : scheme.step2;
            other->edit->setText(other->macro ? step.macro : step.przm);
            other->edited = false;
        }
}

// The tests of OK in order, each naming the control to correct; a MACRO fraction that cannot be read
// is refused here too, so that nothing is written.
bool TfrmMetabolites2::CloseTestsPass() {
    const auto field = [this](const QString& name) { return findChild<QLineEdit*>(name); };
    const auto refuse = [](QWidget* control, const QString& message) {
        ShowMessage(message);
        control->setFocus();
        return false;
    };
    const auto macroReadable = [&](QLineEdit* edit) {
        try {
            ValidateFraction(edit->text(), false);
        } catch (const EKelvoError& error) {
            return refuse(edit, error.Message());
        }
        return true;
    };
    const int scheme = m_schemeIndex + 1;
    if (scheme == 2 || scheme == 3) {
        if (m_cmbMetaP1->currentIndex() < 0) return refuse(m_cmbMetaP1, SelectMetabolite);
        if (field(u"edtHLP1"_s)->text().isEmpty()) return refuse(field(u"edtHLP1"_s), EnterFractionFirst);
    }
    if (scheme == 3) {
        if (m_cmbMetaP2->currentIndex() < 0) return refuse(m_cmbMetaP2, SelectMetabolite);
        if (field(u"edtHLP2"_s)->text().isEmpty()) return refuse(field(u"edtHLP2"_s), EnterFractionFirst);
        if (m_cmbMetaP1->currentText() == m_cmbMetaP2->currentText())
            return refuse(m_cmbMetaP2, SelectDifferent);
    }
    if (scheme == 4) {
        if (m_cmbMeta1->currentIndex() < 0) return refuse(m_cmbMeta1, SelectMetabolite);
        if (field(u"edtHL1"_s)->text().isEmpty()) return refuse(field(u"edtHL1"_s), EnterFractionFirst);
        if (m_cmbMeta12->currentIndex() < 0) return refuse(m_cmbMeta12, SelectMetabolite);
        if (field(u"edtHL2"_s)->text().isEmpty()) return refuse(field(u"edtHL2"_s), EnterFractionFirst);
        if (m_cmbMeta1->currentText() == m_cmbMeta12->currentText())
            return refuse(m_cmbMeta12, SelectDifferent);
        return macroReadable(field(u"edtHL1Macro"_s));
    }
    if (scheme >= 2 && !macroReadable(field(u"edtHLP1Macro"_s))) return false;
    if (scheme == 3 && !macroReadable(field(u"edtHLP2Macro"_s))) return false;
    return true;
}

void TfrmMetabolites2::done(int result) {
    if (result != Accepted || m_viewOnly) {
        m_leaving = true; // the field losing the focus as the dialog goes gives nothing
        QDialog::done(Rejected);
        return;
    }
    // A field being left gives its value first.
    for (const auto& field : m_fields)
        if (field->edited) {
            FractionLeft(*field);
            if (field->edited) return;
        }
    if (!CloseTestsPass()) return;
    TMetaboliteScheme scheme = Shown();
    scheme.scheme = m_schemeIndex + 1;
    if (scheme.scheme == 4) scheme.metabolite2 = m_cmbMeta12->currentText();
    if (Guarded([&] { ApplyMetaboliteScheme(m_dm, m_parent, scheme); })) QDialog::done(Accepted);
}
