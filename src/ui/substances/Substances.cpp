#include "ui/substances/Substances.h"

#include "foundation/Errors.h"
#include "store/ControlsDisabled.h"
#include "store/DataModuleKelvoADO.h"
#include "store/EventHook.h"
#include "store/Transaction.h"
#include "ui/Guard.h"
#include "ui/app/HelpSystem.h"
#include "ui/bound/CheckBoxBinding.h"
#include "ui/bound/LineEditBinding.h"
#include "ui/models/RecordSetModel.h"
#include "ui/substances/Metabolites2.h"
#include "ui/substances/PRZMspec.h"
#include "ui/substances/SubstanceFileButtons.h"
#include "ui/substances/SubstanceNew.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int windowContext = 5;
constexpr int pageContexts[] = {6, 11, 12, 13};
const QString SetMetabolites = u"set Metabolites"_s;
const QString ViewMetabolites = u"view Metabolites"_s;

QLabel* Caption(const QString& text, const QString& hint = {}) {
    auto* label = new QLabel(text);
    label->setToolTip(hint);
    return label;
}

} // namespace

TfrmSubstances::TfrmSubstances(TdmKelvoADO& dm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_grid(new QTableView(this)), m_edtFilter(new QLineEdit(this)),
      m_lblShown(new QLabel(this)), m_pages(new QTabWidget(this)),
      m_btnNew(new QPushButton(u"New"_s, this)), m_btnCopy(new QPushButton(u"Copy"_s, this)),
      m_btnRemove(new QPushButton(u"Remove"_s, this)), m_btnSave(new QPushButton(u"Save"_s, this)),
      m_btnUndo(new QPushButton(u"Undo "_s, this)), m_btnClose(new QPushButton(u"Close"_s, this)) {
    setObjectName(u"frmSubstances"_s);
    setWindowTitle(u"Substances"_s);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    SetHelpContext(this, windowContext);
    m_grid->setObjectName(u"grdSubstances"_s);
    m_pages->setObjectName(u"pgSubstance"_s);
    const std::pair<QPushButton*, QString> names[] = {
        {m_btnNew, u"btnNew"_s},   {m_btnCopy, u"btnCopy"_s}, {m_btnRemove, u"btnRemove"_s},
        {m_btnSave, u"btnSave"_s}, {m_btnUndo, u"btnUndo"_s}, {m_btnClose, u"btnClose"_s}};
    for (const auto& [button, name] : names) {
        button->setObjectName(name);
        button->setAutoDefault(false);
    }

    // The tables are open before the grid and the bound fields find their fields.
    const bool open = m_dm.OpenSubstanceTables();
    if (open) m_projects = m_dm.ProjectsBySubstance();
    auto* model =
        new TRecordSetModel(m_dm.tblSubstances, {u"SubstanceCode"_s, u"Name"_s, u"(status)"_s}, this);
    model->setColumnReadOnly(0, true);
    model->setColumnReadOnly(1, true);
    model->setHeaderData(0, Qt::Horizontal, u"Code"_s);
    model->setHeaderData(1, Qt::Horizontal, u"Name"_s);
    model->setHeaderData(2, Qt::Horizontal, u"Status"_s);
    model->setHeaderData(2, Qt::Horizontal,
                         u"Parent or metabolite; locked: a FOCUS predefined substance, shown only; used: a "
                         "project is made for it"_s,
                         Qt::ToolTipRole);
    model->setComputedColumn(2, [this](int row, int role) { return StatusCell(row, role); });
    model->bindView(m_grid);
    m_grid->setColumnWidth(0, m_grid->fontMetrics().horizontalAdvance(QString(20, u'N')) + 12);
    m_grid->setColumnWidth(1, m_grid->fontMetrics().horizontalAdvance(QString(24, u'n')) + 12);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumHeight(140);

    const std::pair<QWidget*, QString> pages[] = {{GeneralPage(), u" General "_s},
                                                  {SorptionPage(), u" Sorption "_s},
                                                  {UptakePage(), u" Uptake and Wash-Off "_s},
                                                  {TransformationPage(), u" Transformation "_s}};
    int index = 0;
    for (const auto& [page, caption] : pages) {
        m_pages->addTab(page, caption);
        SetHelpContext(page, pageContexts[index++]);
    }

    m_edtFilter->setObjectName(u"edtFilter"_s);
    m_edtFilter->setPlaceholderText(u"Type part of a code or name"_s);
    m_edtFilter->setClearButtonEnabled(true);
    m_lblShown->setObjectName(u"lblShown"_s);
    auto* filter = new QHBoxLayout;
    auto* filterCaption = new QLabel(u"&Filter:"_s, this);
    filterCaption->setBuddy(m_edtFilter);
    filter->addWidget(filterCaption);
    filter->addWidget(m_edtFilter, 1);
    filter->addWidget(m_lblShown);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_btnNew, m_btnCopy, m_btnRemove, m_btnSave, m_btnUndo})
        buttons->addWidget(button);
    AddSubstanceFileButtons(this, m_dm, buttons, {[this] { return m_shownCode; }, [this] { return Modified(); }});
    buttons->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_pages);
    layout->addLayout(bottom);
    resize(720, 640);

    Connect();
    if (open) Guarded([this] { Activate(); });
}

// A window that goes without being closed drops what was not saved. Its fields lose the focus while
// they go: no rule runs then.
TfrmSubstances::~TfrmSubstances() {
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->disconnect(this);
    if (!m_closed) {
        m_closed = true;
        m_dm.UndoSubstance();
        m_dm.CloseSubstanceTables();
    }
}

QLineEdit* TfrmSubstances::Edit(const QString& name, TTable& table, const QString& field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    new TLineEditBinding(edit, table, field);
    // A keystroke lights Save so that a typed value can be saved; once the field is left, the binding has
    // written the value (or refused it) and the buttons show whether a row really changed.
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (!m_closed && !Locked()) SetButtons(true, true);
    });
    connect(edit, &QLineEdit::editingFinished, this, [this] { EditChanged(); });
    return edit;
}

QLineEdit* TfrmSubstances::Row(QGridLayout* grid, int row, const QString& caption, const QString& name,
                               TTable& table, const QString& field, const QString& unit,
                               const QString& hint) {
    QLineEdit* edit = Edit(name, table, field);
    grid->addWidget(Caption(caption, hint), row, 0);
    grid->addWidget(edit, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit), row, 2);
    return edit;
}

QWidget* TfrmSubstances::GeneralPage() {
    auto* page = new QWidget;
    page->setObjectName(u"tsGeneral"_s);
    TTable& s = m_dm.tblSubstances;
    TTable& macro = m_dm.tblSubstancesMacro;
    auto* grid = new QGridLayout(page);
    QLineEdit* code = Row(grid, 0, u"Code:"_s, u"edtCode"_s, s, u"SubstanceCode"_s);
    code->setEnabled(false);
    QLineEdit* name = Row(grid, 1, u"Name:"_s, u"edtName"_s, s, u"Name"_s);
    // A whole code or name of 20 characters is seen (the field column is as wide for every row).
    for (QLineEdit* edit : {code, name})
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(20, u'N')) + 12);
    m_cbParent = new QCheckBox(u"Parent"_s, page);
    m_cbParent->setObjectName(u"cbParent"_s);
    new TCheckBoxBinding(m_cbParent, s, u"IsParent"_s);
    m_btnMetabolites = new QPushButton(u"Metabolites"_s, page);
    m_btnMetabolites->setObjectName(u"btnMetabolites"_s);
    m_btnMetabolites->setAutoDefault(false);
    m_pnlLocked = new QLabel(u"Locked substance!"_s, page);
    m_pnlLocked->setObjectName(u"pnlLocked"_s);
    m_pnlLocked->setStyleSheet(u"QLabel { color: #b00000; font-weight: bold; }"_s);
    grid->addWidget(m_cbParent, 0, 3);
    grid->addWidget(m_btnMetabolites, 1, 3);
    grid->addWidget(m_pnlLocked, 2, 3);
    Row(grid, 2, u"Molar mass (g/mol):"_s, u"edtMolMass"_s, s, u"MolMass"_s);
    Row(grid, 3, u"Saturated vapour pressure (Pa):"_s, u"DBEdit14"_s, macro, u"vap"_s);
    Row(grid, 4, u"measured at (°C):"_s, u"DBEdit31"_s, macro, u"VpTemp"_s, {}, u"Range: 0 -40"_s);
    Row(grid, 5, u"Molar enthalpy of vaporisation (J/mol):"_s, u"DBEdit17"_s, s, u"MolEntVap"_s, {},
        u"Default is 95000 J/mol"_s);
    Row(grid, 6, u"Solubility in water (mg/L):"_s, u"DBEdit15"_s, s, u"SlbWatRef"_s);
    Row(grid, 7, u"measured at (°C):"_s, u"DBEdit30"_s, s, u"TemRefSlb"_s);
    Row(grid, 8, u"Molar enthalpy of dissolution (J/mol):"_s, u"DBEdit16"_s, s, u"MolEntSlb"_s, {},
        u"Default is 27000 J/mol"_s);
    Row(grid, 9, u"Diffusion coefficient in water (m2/d):"_s, u"DBEdit19"_s, macro, u"diffusion"_s, {},
        u"Default is 0.43e-4 m2/d"_s);
    Row(grid, 10, u"Diffusion coefficient in air (m2/d):"_s, u"DBEdit20"_s, s, u"CofDifAirRef"_s, {},
        u"Default is 430000 mm2/d"_s);
    grid->setColumnStretch(4, 1);
    return page;
}

QWidget* TfrmSubstances::SorptionPage() {
    auto* page = new QWidget;
    page->setObjectName(u"tsSorption"_s);
    TTable& s = m_dm.tblSubstances;
    TTable& macro = m_dm.tblSubstancesMacro;
    auto* group =
        new QGroupBox(u" Freundlich Equilibrium Sorption on Soil, Suspended Solids and Sediment "_s, page);
    m_rbDetailed = new QRadioButton(u"Detailed"_s, group);
    m_rbDetailed->setObjectName(u"rbDetailed"_s);
    m_rbGeneral = new QRadioButton(u"General"_s, group);
    m_rbGeneral->setObjectName(u"rbGeneral"_s);
    auto* mode = new QHBoxLayout;
    mode->addWidget(new QLabel(u"Coefficient for sorption (L/kg) on"_s));
    mode->addWidget(m_rbDetailed);
    mode->addWidget(m_rbGeneral);
    mode->addStretch();

    const QStringList rows = {u"Kom:"_s, u"Koc:"_s, u"Freundlich exponent (-):"_s,
                              u"Ref. concentration in liquid phase (g/m3):"_s};
    auto* captions = new QGridLayout;
    captions->addWidget(new QLabel(QString()), 0, 0);
    for (int row = 0; row < rows.size(); ++row)
        captions->addWidget(new QLabel(rows[row]), row + 1, 0);

    m_pnlGeneral = new QWidget(group);
    m_pnlGeneral->setObjectName(u"pnlGeneral"_s);
    auto* general = new QGridLayout(m_pnlGeneral);
    general->setContentsMargins(0, 0, 0, 0);
    general->addWidget(new QLabel(u"General"_s), 0, 0);
    const std::pair<QString, std::pair<TTable*, QString>> generalFields[] = {
        {u"edtKom"_s, {&s, u"Kom"_s}},
        {u"edtKoc"_s, {&macro, u"Koc"_s}},
        {u"edtFreund"_s, {&s, u"ExpFre"_s}},
        {u"edtclr"_s, {&s, u"ConLiqRef"_s}}};
    int row = 1;
    for (const auto& [name, field] : generalFields)
        general->addWidget(Edit(name, *field.first, field.second), row++, 0);

    m_pnlDetailed = new QWidget(group);
    m_pnlDetailed->setObjectName(u"pnlDetailed"_s);
    auto* detailed = new QGridLayout(m_pnlDetailed);
    detailed->setContentsMargins(0, 0, 0, 0);
    const QStringList columns = {u"Soil"_s, u"Susp. Solids"_s, u"Sediment"_s};
    const QStringList names[] = {{u"edtKomSol"_s, u"edtKomSus"_s, u"edtKomSed"_s},
                                 {u"edtKocSol"_s, u"edtKocSus"_s, u"edtKocSed"_s},
                                 {u"edtfreundSol"_s, u"edtFreundSus"_s, u"edtFreundSed"_s},
                                 {u"edtclrSol"_s, u"edtclrSus"_s, u"edtclrSed"_s}};
    const QStringList fields[] = {{u"KomSol"_s, u"KomSus"_s, u"KomSed"_s},
                                  {u"KocSol"_s, u"KocSus"_s, u"KocSed"_s},
                                  {u"freund"_s, u"ExpFreSus"_s, u"ExpFreSed"_s},
                                  {u"ConLiqRefSol"_s, u"ConLiqRefSus"_s, u"ConLiqRefSed"_s}};
    for (int column = 0; column < columns.size(); ++column) {
        detailed->addWidget(new QLabel(columns[column]), 0, column);
        for (int r = 0; r < 4; ++r) {
            TTable& table = r == 2 && column == 0 ? macro : s;
            detailed->addWidget(Edit(names[r][column], table, fields[r][column]), r + 1, column);
        }
    }

    for (QLineEdit* edit : group->findChildren<QLineEdit*>())
        edit->setFixedWidth(110);
    auto* values = new QHBoxLayout;
    values->addLayout(captions);
    values->addWidget(m_pnlGeneral);
    values->addWidget(m_pnlDetailed);
    values->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(mode);
    groupLayout->addLayout(values);
    groupLayout->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    return page;
}

QWidget* TfrmSubstances::UptakePage() {
    auto* page = new QWidget;
    page->setObjectName(u"tsUptake"_s);
    auto* grid = new QGridLayout(page);
    Row(grid, 0, u"Factor for the uptake by plant roots in soil:"_s, u"DBEdit37"_s, m_dm.tblSubstancesMacro,
        u"fstar"_s, {}, u"Default is 0.5"_s);
    m_edtWashOffMacro = Row(grid, 1, u"Wash-Off factor from crop:"_s, u"edtWashOffMacro"_s,
                            m_dm.tblSubstancesMacro, u"fext"_s, u"(1/mm)"_s);
    grid->addWidget(new QLabel(u"(MACRO)"_s), 1, 3);
    m_edtWashOffPRZM = Edit(u"edtWashOffPRZM"_s, m_dm.tblSubstancesPRZM, u"fextrc"_s);
    grid->addWidget(m_edtWashOffPRZM, 2, 1);
    grid->addWidget(new QLabel(u"(1/cm)"_s), 2, 2);
    grid->addWidget(new QLabel(u"(PRZM)"_s), 2, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TfrmSubstances::TransformationPage() {
    auto* page = new QWidget;
    page->setObjectName(u"tsPartitioning"_s);
    TTable& s = m_dm.tblSubstances;
    TTable& macro = m_dm.tblSubstancesMacro;
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(u"Half-life time (d):"_s), 1, 0);
    grid->addWidget(new QLabel(u"Measured at (°C):"_s), 2, 0);
    const QStringList columns = {u"Water"_s, u"Soil"_s, u"Sediment"_s, u"Crop"_s};
    for (int column = 0; column < columns.size(); ++column)
        grid->addWidget(new QLabel(columns[column]), 0, column + 1);
    grid->addWidget(Edit(u"DBEdit4"_s, s, u"DT50WatRef"_s), 1, 1);
    grid->addWidget(Edit(u"DBEdit1"_s, s, u"TemRefTraWat"_s), 2, 1);
    grid->addWidget(Edit(u"DBEdit2"_s, macro, u"halflife"_s), 1, 2);
    grid->addWidget(Edit(u"DBEdit3"_s, macro, u"tref"_s), 2, 2);
    grid->addWidget(Edit(u"DBEdit7"_s, s, u"DT50SedRef"_s), 1, 3);
    grid->addWidget(Edit(u"DBEdit10"_s, s, u"TemRefTraSed"_s), 2, 3);
    m_edtCandeg = Edit(u"edtCandeg"_s, macro, u"candeg"_s);
    grid->addWidget(m_edtCandeg, 1, 4);

    auto* temperature = new QGroupBox(u" Effect of temperature "_s, page);
    auto* effect = new QGridLayout(temperature);
    Row(effect, 0, u"Activation energy (J/mol):"_s, u"DBEdit8"_s, s, u"MolEntTra"_s, u"(TOXSWA)"_s,
        u"Default is 54000 J/mol"_s);
    Row(effect, 1, u"Exponent (1/K):"_s, u"DBEdit6"_s, macro, u"tresp"_s, u"(MACRO)"_s,
        u"no temperature correction: fill in 0"_s);
    Row(effect, 2, u"Q10fac (-):"_s, u"DBEdit22"_s, m_dm.tblSubstancesPRZM, u"q10fac"_s, u"(PRZM)"_s,
        u"no temperature correction: fill in 1.0"_s);
    m_btnPRZM = new QPushButton(u"Specifications on transformation in soil..."_s, page);
    m_btnPRZM->setObjectName(u"btnPRZM"_s);
    m_btnPRZM->setAutoDefault(false);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addWidget(temperature);
    layout->addWidget(m_btnPRZM, 0, Qt::AlignLeft);
    layout->addStretch();
    return page;
}

void TfrmSubstances::Connect() {
    const auto click = [this](QPushButton* button, void (TfrmSubstances::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    click(m_btnNew, &TfrmSubstances::NewClicked);
    click(m_btnCopy, &TfrmSubstances::CopyClicked);
    click(m_btnRemove, &TfrmSubstances::RemoveClicked);
    click(m_btnSave, &TfrmSubstances::SaveClicked);
    click(m_btnUndo, &TfrmSubstances::UndoClicked);
    click(m_btnMetabolites, &TfrmSubstances::MetabolitesClicked);
    click(m_btnPRZM, &TfrmSubstances::PRZMClicked);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_edtFilter, &QLineEdit::textChanged, this, [this] { Guarded([this] { ApplyFilter(true); }); });
    // New, copied, removed and renamed substances are filtered as the others.
    QAbstractItemModel* model = m_grid->model();
    const auto refilter = [this] { ApplyFilter(false); };
    connect(model, &QAbstractItemModel::modelReset, this, refilter);
    connect(model, &QAbstractItemModel::rowsInserted, this, refilter);
    connect(model, &QAbstractItemModel::rowsRemoved, this, refilter);
    // A changed name is filtered again; a move changes nothing the filter sees.
    connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& top, const QModelIndex& bottom) {
        if (!m_filtered || top.column() > 1) return;
        FilterRows(top.row(), bottom.row());
        ShowCount();
    });
    connect(&m_dm.tblSubstances, &TRecordSet::currentChanged, this, [this] {
        const QString code = m_dm.tblSubstances.active() && !m_dm.tblSubstances.isEmpty()
                                 ? m_dm.tblSubstances.fieldByName(u"SubstanceCode"_s).asString()
                                 : QString();
        if (code != m_shownCode) Guarded([this] { SubstanceChanged(); });
    });
    connect(m_cbParent, &QCheckBox::clicked, this, [this] { Guarded([this] { ParentDisplay(); }); });
    for (QRadioButton* mode : {m_rbDetailed, m_rbGeneral})
        connect(mode, &QRadioButton::clicked, this, [this] { Guarded([this] { SorptionMode(); }); });
    // A tab takes no focus when clicked: the typed value is written before its page goes.
    connect(m_pages, &QTabWidget::tabBarClicked, this, [this] { CommitTypedValue(); });
    connect(m_pages, &QTabWidget::currentChanged, this,
            [this](int page) { Guarded([&] { PageShown(page); }); });

    // Leaving a field whose value others follow; the binding has written the field by then.
    const auto leave = [this](const QString& name, std::function<void()> rule) {
        connect(findChild<QLineEdit*>(name), &QLineEdit::editingFinished, this, [this, rule] { Rule(rule); });
    };
    TdmKelvoADO& dm = m_dm;
    const std::pair<QString, TSorptionColumn> sorption[] = {{u"Kom"_s, TSorptionColumn::General},
                                                            {u"KomSol"_s, TSorptionColumn::Soil},
                                                            {u"KomSus"_s, TSorptionColumn::SuspendedSolids},
                                                            {u"KomSed"_s, TSorptionColumn::Sediment}};
    for (const auto& [suffix, column] : sorption) {
        const TSorptionColumn c = column;
        leave(u"edt"_s + suffix, [&dm, c] { KomEntered(dm, c); });
        leave(u"edtKoc"_s + suffix.mid(3), [&dm, c] { KocEntered(dm, c); });
    }
    leave(u"edtFreund"_s, [&dm] { FreundlichEntered(dm); });
    leave(u"edtclr"_s, [&dm] { ReferenceConcentrationEntered(dm); });
    leave(u"edtWashOffMacro"_s, [this] {
        if (!m_busyCreating) WashOffMacroEntered(m_dm);
    });
    leave(u"edtWashOffPRZM"_s, [this] {
        if (!m_busyCreating) WashOffPRZMEntered(m_dm);
    });
    leave(u"DBEdit22"_s, [&dm] { Q10Entered(dm); });
}

bool TfrmSubstances::Locked() const {
    return IsCurrentSubstanceLocked(m_dm);
}

void TfrmSubstances::Activate() {
    ReenterEdit();
    SetButtons(false, false);
    m_moveRule = std::make_unique<TEventHook>(m_dm.tblSubstances.afterScroll,
                                              [this](TRecordSet& rs) { m_dm.tblSubstancesAfterScroll(rs); });
    m_pages->setCurrentIndex(0);
    m_busyCreating = false;
    SubstanceChanged();
    ApplyFilter(false);
}

void TfrmSubstances::SubstanceChanged() {
    TTable& s = m_dm.tblSubstances;
    m_shownCode = s.active() && !s.isEmpty() ? s.fieldByName(u"SubstanceCode"_s).asString() : QString();
    m_dm.AskBeforeSave = true;
    const bool detailed = s.active() && !s.isEmpty() && s.fieldByName(u"DetailedSorption"_s).asBoolean();
    m_rbDetailed->setChecked(detailed);
    m_rbGeneral->setChecked(!detailed);
    Guarded([this] { SorptionMode(); });
    const bool locked = Locked();
    m_pnlLocked->setVisible(locked);
    // A locked substance's fields are shown read-only by their bindings; its sorption mode so too.
    m_rbDetailed->setEnabled(!locked);
    m_rbGeneral->setEnabled(!locked);
    m_btnRemove->setEnabled(!locked && !m_shownCode.isEmpty());
    if (!locked && !m_dm.IsSubstanceUsedInProject(m_shownCode)) {
        m_btnMetabolites->setText(SetMetabolites);
        m_cbParent->setEnabled(s.fieldByName(u"IsParent"_s).asBoolean() ||
                               !m_dm.IsMetaboliteOfAnother(m_shownCode));
    } else {
        m_btnMetabolites->setText(ViewMetabolites);
        m_cbParent->setEnabled(false);
    }
    ParentDisplay();
    ReenterEdit();
    SetButtons(false, false);
    m_dm.LastAskedCode.clear();
}

void TfrmSubstances::ReenterEdit() {
    TTable* tables[] = {&m_dm.tblSubstances, &m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM};
    if (Locked()) {
        m_dm.UndoSubstance();
        return;
    }
    for (TTable* table : tables)
        try {
            if (table->active() && !table->isEmpty()) table->ensureEditing();
        } catch (...) {
        }
}

void TfrmSubstances::SetButtons(bool save, bool undo) {
    m_btnSave->setEnabled(save);
    m_btnUndo->setEnabled(undo);
}

void TfrmSubstances::CommitTypedValue() {
    auto* edit = qobject_cast<QLineEdit*>(focusWidget());
    if (edit && edit->isModified()) emit edit->editingFinished();
}

bool TfrmSubstances::Modified() const {
    for (const TTable* table : {&m_dm.tblSubstances, &m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM})
        if (table->active() && table->modified()) return true;
    return false;
}

void TfrmSubstances::EditChanged() {
    if (m_closed || Locked()) return;
    const bool modified = Modified();
    SetButtons(modified, modified);
}

void TfrmSubstances::ParentDisplay() {
    const bool parent = m_cbParent->isChecked();
    m_btnMetabolites->setVisible(parent);
    for (QLineEdit* edit : {m_edtWashOffMacro, m_edtWashOffPRZM, m_edtCandeg})
        edit->setEnabled(parent);
    EditChanged();
}

void TfrmSubstances::SorptionMode() {
    TTable& s = m_dm.tblSubstances;
    if (s.active() && !s.isEmpty() &&
        s.fieldByName(u"DetailedSorption"_s).asBoolean() != m_rbDetailed->isChecked() &&
        !Guarded([this] { SetDetailedSorption(m_dm, m_rbDetailed->isChecked()); })) {
        const bool detailed = s.fieldByName(u"DetailedSorption"_s).asBoolean();
        m_rbDetailed->setChecked(detailed);
        m_rbGeneral->setChecked(!detailed);
    }
    m_pnlDetailed->setVisible(m_rbDetailed->isChecked());
    m_pnlGeneral->setVisible(m_rbGeneral->isChecked());
    EditChanged();
}

void TfrmSubstances::Rule(const std::function<void()>& rule) {
    if (m_closed || Locked() || m_shownCode.isEmpty()) return;
    if (Guarded(rule)) EditChanged();
}

void TfrmSubstances::PageShown(int page) {
    if (page != 2 || Locked()) return;
    for (TTable* table : {&m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM})
        try {
            table->ensureEditing();
        } catch (...) {
        }
}

QVariant TfrmSubstances::StatusCell(int row, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const TTable& s = m_dm.tblSubstances;
    const auto value = [&s, row](const QString& field) { return s.valueAt(row, s.fieldByName(field).index()); };
    const bool parent = value(u"IsParent"_s).toBool();
    const bool locked = value(u"Locked"_s).toBool();
    const QStringList projects = m_projects.value(value(u"SubstanceCode"_s).toString());
    if (role == Qt::DisplayRole) {
        QStringList words{parent ? u"parent"_s : u"metabolite"_s};
        if (locked) words << u"locked"_s;
        if (!projects.isEmpty()) words << u"used"_s;
        return words.join(u", "_s);
    }
    QStringList lines{parent ? u"A parent substance"_s : u"A metabolite"_s};
    if (locked) lines << u"Locked: a FOCUS predefined substance, shown but not changed"_s;
    if (!projects.isEmpty())
        lines << (projects.size() == 1 ? u"Used in the project "_s : u"Used in the projects "_s) +
                     projects.join(u", "_s);
    return lines.join(u'\n');
}

bool TfrmSubstances::Matches(int row) const {
    const QAbstractItemModel* model = m_grid->model();
    const QString text = m_edtFilter->text().trimmed();
    return text.isEmpty() || model->index(row, 0).data().toString().contains(text, Qt::CaseInsensitive) ||
           model->index(row, 1).data().toString().contains(text, Qt::CaseInsensitive);
}

int TfrmSubstances::CurrentRow() const {
    return m_dm.tblSubstances.active() ? m_dm.tblSubstances.currentRow() : -1;
}

// The current row is never hidden: hiding it would make the view move to another substance.
void TfrmSubstances::FilterRows(int first, int last) {
    const int current = CurrentRow();
    for (int row = first; row <= last; ++row)
        m_grid->setRowHidden(row, row != current && !Matches(row));
}

void TfrmSubstances::ShowCount() {
    const int rows = m_grid->model()->rowCount();
    if (m_edtFilter->text().trimmed().isEmpty()) {
        m_lblShown->setText(u"%1 substances"_s.arg(rows));
        return;
    }
    int shown = 0;
    for (int row = 0; row < rows; ++row)
        shown += Matches(row) ? 1 : 0;
    m_lblShown->setText(u"%1 of %2 shown"_s.arg(shown).arg(rows));
}

void TfrmSubstances::ApplyFilter(bool follow) {
    const int rows = m_grid->model()->rowCount();
    const bool filtering = !m_edtFilter->text().trimmed().isEmpty();
    // Without a filter every row shows: nothing to hide when nothing was hidden.
    if (filtering || m_filtered) FilterRows(0, rows - 1);
    m_filtered = filtering;
    // A current substance filtered out gives way to the first shown, as a click moves, unless it holds a
    // change: typing in the filter never asks to save; it stays in sight until saved or left.
    const int current = CurrentRow();
    if (follow && current >= 0 && !Matches(current) && !Modified()) {
        int first = 0;
        while (first < rows && !Matches(first))
            ++first;
        if (first < rows) {
            m_grid->selectRow(first);
            if (CurrentRow() != current) FilterRows(current, current);
        }
    }
    ShowCount();
}

void TfrmSubstances::NewClicked() {
    CommitTypedValue();
    m_busyCreating = true;
    struct TDone {
        bool& busy;
        ~TDone() { busy = false; }
    } done{m_busyCreating};
    if (!m_dm.SaveSubstance()) return;
    TfrmNewSubstance dialog(m_dm, this);
    if (dialog.exec() == Accepted) {
        m_btnSave->setEnabled(true);
    } else {
        ReenterEdit();
        SetButtons(false, false);
    }
}

void TfrmSubstances::CopyClicked() {
    CommitTypedValue();
    m_busyCreating = true;
    struct TDone {
        bool& busy;
        ~TDone() { busy = false; }
    } done{m_busyCreating};
    if (!m_dm.SaveSubstance()) return;
    const QString source = m_shownCode;
    TfrmNewSubstance dialog(m_dm, this);
    dialog.Propose(u"c"_s + source, u"copy_of_"_s + source.left(12));
    // The new substance and its copied values are one commit: a copy that fails leaves neither.
    TTransaction transaction(m_dm.dbKelvoADO);
    if (dialog.exec() == Accepted) {
        const QString code = dialog.Code();
        m_dm.AskBeforeSave = false;
        Guarded([this] { m_dm.tblSubstances.cancel(); });
        const bool copied = Guarded([&] { m_dm.CopySubstanceValues(code, source); });
        m_dm.AskBeforeSave = true;
        if (copied) {
            Guarded([this] { CompleteDetailedPairs(m_dm); });
        } else {
            Guarded([&] {
                transaction.Rollback();
                m_dm.CloseSubstanceTables();
                m_dm.OpenSubstanceAt(source);
            });
        }
        m_btnUndo->setEnabled(false);
    }
    ReenterEdit();
}

void TfrmSubstances::RemoveClicked() {
    TTable& s = m_dm.tblSubstances;
    // Once the deletion rules allowed it, the pending edits of the substance's other rows go with it.
    const TEventHook deletionRule(s.beforeDelete, [this](TRecordSet& rs) {
        m_dm.tblSubstancesBeforeDelete(rs);
        for (TTable* detail : {&m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM})
            if (detail->state() == TRecordSet::TState::Edit) detail->cancel();
    });
    const bool deleted = Guarded([&s] { s.deleteRecord(); });
    if (!deleted) {
        ReenterEdit();
        return;
    }
    const QString code = s.isEmpty() ? QString() : s.fieldByName(u"SubstanceCode"_s).asString();
    {
        const TControlsDisabled quiet(s);
        m_dm.CloseSubstanceTables();
        m_dm.OpenSubstanceAt(code);
    }
    SubstanceChanged();
}

void TfrmSubstances::SaveClicked() {
    CommitTypedValue();
    m_dm.AskBeforeSave = true;
    if (!m_dm.SaveSubstance()) return;
    ReenterEdit();
    SetButtons(false, false);
    m_dm.LastAskedCode.clear();
}

void TfrmSubstances::UndoClicked() {
    m_dm.UndoSubstance();
    ReenterEdit();
    m_btnUndo->setEnabled(false);
}

void TfrmSubstances::MetabolitesClicked() {
    TfrmMetabolites2 dialog(m_dm, this);
    dialog.SetViewOnly(m_btnMetabolites->text() == ViewMetabolites);
    if (dialog.exec() == Accepted) SetButtons(true, true);
}

void TfrmSubstances::PRZMClicked() {
    TfrmPRZMspec dialog(m_dm, this);
    dialog.exec();
    if (dialog.Changed()) SetButtons(true, true);
}

void TfrmSubstances::done(int result) {
    if (m_closed) {
        QDialog::done(result);
        return;
    }
    // Esc, the close box and Close alike: the typed value counts, and a change is saved, discarded or
    // kept with the window open.
    CommitTypedValue();
    if (!Locked() && Modified()) {
        switch (AskSaveDiscardCancel(u"Save changes?"_s)) {
        case TSaveAnswer::Cancel:
            ReenterEdit();
            return;
        case TSaveAnswer::Discard:
            m_dm.UndoSubstance();
            break;
        case TSaveAnswer::Save:
            m_dm.AskBeforeSave = true;
            m_dm.LastAskedCode = m_shownCode; // answered: the record rule only checks the required values
            if (!m_dm.SaveSubstance()) {
                ReenterEdit();
                return;
            }
            break;
        }
    }
    m_closed = true;
    m_dm.CloseSubstanceTables();
    m_moveRule.reset();
    QDialog::done(Accepted);
}
