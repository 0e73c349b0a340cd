#include "ui/substances/PRZMspec.h"

#include "domain/SubstanceEditing.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/app/HelpSystem.h"
#include "ui/bound/LineEditBinding.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int helpContext = 14;
const QString NoWaterCorrection = u"no correction for effect of water content: fill in 0"_s;

QLabel* Hinted(QLabel* label, const QString& hint) {
    label->setToolTip(hint);
    return label;
}

} // namespace

TfrmPRZMspec::TfrmPRZMspec(TdmKelvoADO& dm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_grpMACRO(new QGroupBox(u" MACRO "_s, this)),
      m_grpPRZM(new QGroupBox(u" PRZM "_s, this)), m_grpBi(new QGroupBox(u" Bi-phase "_s, m_grpPRZM)),
      m_cmbPF(new QComboBox(m_grpMACRO)), m_absolute(new QRadioButton(u"Absolute (%)"_s)),
      m_relative(new QRadioButton(u"Relative (% of FC)"_s)),
      m_cbBiPhase(new QCheckBox(u"Use bi-phase degradation"_s, m_grpBi)),
      m_label19(new QLabel(u"Half-life time phase 2 (d):"_s, m_grpBi)),
      m_label18(new QLabel(u"Days after initial application bi-phasic half-life begins:"_s, m_grpBi)) {
    setObjectName(u"frmPRZMspec"_s);
    setWindowTitle(u"Specifications on transformation in soil"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    SetHelpContext(this, helpContext);
    m_grpMACRO->setObjectName(u"grpMACRO"_s);
    m_grpPRZM->setObjectName(u"grpPRZM"_s);
    m_grpBi->setObjectName(u"grpBi"_s);
    m_cmbPF->setObjectName(u"cmbPF"_s);
    m_cmbPF->addItems({u"1"_s, u"2"_s});
    m_cbBiPhase->setObjectName(u"cbBiPhase"_s);
    m_label19->setObjectName(u"Label19"_s);
    m_label18->setObjectName(u"Label18"_s);

    auto* macro = new QGridLayout(m_grpMACRO);
    macro->addWidget(
        Hinted(new QLabel(u"Exponent for the effect of water content (-):"_s), NoWaterCorrection), 0, 0);
    macro->addWidget(BoundEdit(u"DBEdit1"_s, dm.tblSubstancesMacro, u"expb"_s), 0, 1);
    macro->addWidget(new QLabel(u"Half-life measured at pF:"_s), 1, 0);
    macro->addWidget(m_cmbPF, 1, 1);

    auto* absRel = new QGroupBox(m_grpPRZM);
    absRel->setObjectName(u"rgAbsRel"_s);
    auto* absRelLayout = new QHBoxLayout(absRel);
    absRelLayout->addWidget(m_absolute);
    absRelLayout->addWidget(m_relative);
    auto* absRelGroup = new QButtonGroup(this);
    absRelGroup->addButton(m_absolute, 0);
    absRelGroup->addButton(m_relative, 1);

    auto* bi = new QGridLayout(m_grpBi);
    bi->addWidget(m_cbBiPhase, 0, 0, 1, 2);
    bi->addWidget(m_label19, 1, 0);
    m_edtHL2 = BoundEdit(u"edtHL2"_s, dm.tblSubstancesPRZM, u"drate2a"_s);
    bi->addWidget(m_edtHL2, 1, 1);
    bi->addWidget(m_label18, 2, 0);
    m_edtDkNum = BoundEdit(u"edtDkNum"_s, dm.tblSubstancesPRZM, u"dknum"_s);
    bi->addWidget(m_edtDkNum, 2, 1);

    auto* przm = new QGridLayout(m_grpPRZM);
    przm->addWidget(Hinted(new QLabel(u"Exponent for the effect of water content (-):"_s), NoWaterCorrection),
                    0, 0);
    przm->addWidget(BoundEdit(u"DBEdit25"_s, dm.tblSubstancesPRZM, u"mseff"_s), 0, 1);
    przm->addWidget(new QLabel(u"Half-life measured at moisture content (%):"_s), 1, 0);
    przm->addWidget(BoundEdit(u"DBEdit23"_s, dm.tblSubstancesPRZM, u"mslab"_s), 1, 1);
    przm->addWidget(absRel, 2, 0, 1, 2);
    przm->addWidget(m_grpBi, 3, 0, 1, 2);

    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"btnOK"_s);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grpMACRO);
    layout->addWidget(m_grpPRZM);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(absRelGroup, &QButtonGroup::idClicked, this, &TfrmPRZMspec::AbsRelClicked);
    connect(m_cbBiPhase, &QCheckBox::toggled, this, &TfrmPRZMspec::BiPhaseClicked);
    connect(m_cmbPF, &QComboBox::activated, this, &TfrmPRZMspec::PFChosen);
    Activate();
}

// The fields lose the focus while they go: that is no change.
TfrmPRZMspec::~TfrmPRZMspec() {
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->disconnect(this);
}

QLineEdit* TfrmPRZMspec::BoundEdit(const QString& name, TTable& table, const QString& field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    new TLineEditBinding(edit, table, field);
    // A change is a stored value that differs from the one before typing: a refused text is none.
    auto before = std::make_shared<std::optional<QVariant>>();
    connect(edit, &QLineEdit::textEdited, this, [&table, field, before] {
        if (!*before && table.active()) *before = table.fieldByName(field).value();
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, &table, field, before] {
        if (*before && table.active() && table.fieldByName(field).value() != **before) m_changed = true;
        before->reset();
    });
    return edit;
}

void TfrmPRZMspec::Activate() {
    m_activating = true;
    const bool locked = IsCurrentSubstanceLocked(m_dm);
    for (QGroupBox* group : {m_grpMACRO, m_grpPRZM, m_grpBi})
        group->setEnabled(!locked);
    const TTable& przm = m_dm.tblSubstancesPRZM;
    if (przm.active() && !przm.isEmpty()) {
        const int iset1 = przm.fieldByName(u"iset1"_s).asInteger();
        m_absolute->setChecked(iset1 == 1);
        m_relative->setChecked(iset1 == 2);
        // Ticking runs the bi-phase rule: a start day 0 becomes 1.
        Guarded([&] { m_cbBiPhase->setChecked(przm.fieldByName(u"icheck1"_s).asInteger() > 0); });
    }
    const bool parent = m_dm.tblSubstances.fieldByName(u"IsParent"_s).asBoolean();
    for (QWidget* w : {static_cast<QWidget*>(m_grpBi), static_cast<QWidget*>(m_cbBiPhase),
                       static_cast<QWidget*>(m_edtHL2), static_cast<QWidget*>(m_edtDkNum),
                       static_cast<QWidget*>(m_label19), static_cast<QWidget*>(m_label18)})
        w->setEnabled(parent && !locked);
    const TTable& macro = m_dm.tblSubstancesMacro;
    if (macro.active() && !macro.isEmpty())
        m_cmbPF->setCurrentIndex(macro.fieldByName(u"pf"_s).asInteger() - 1);
    m_changed = false;
    m_activating = false;
}

void TfrmPRZMspec::AbsRelClicked(int item) {
    if (m_dm.tblSubstancesPRZM.fieldByName(u"iset1"_s).asInteger() == item + 1) return;
    if (Guarded([&] { SetMoistureBasis(m_dm, item + 1); })) {
        m_changed = true;
        return;
    }
    const int iset1 = m_dm.tblSubstancesPRZM.fieldByName(u"iset1"_s).asInteger();
    m_absolute->setChecked(iset1 == 1);
    m_relative->setChecked(iset1 == 2);
}

void TfrmPRZMspec::BiPhaseClicked(bool on) {
    if (IsCurrentSubstanceLocked(m_dm)) return;
    if (Guarded([&] { SetBiPhase(m_dm, on); }) && !m_activating) m_changed = true;
}

void TfrmPRZMspec::PFChosen(int item) {
    if (IsCurrentSubstanceLocked(m_dm)) return;
    if (Guarded([&] { SetHalfLifePF(m_dm, item + 1); })) m_changed = true;
}
