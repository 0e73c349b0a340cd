#include "ui/drift/Drift.h"

#include "domain/Crop.h"
#include "drift/DriftCalculation.h"
#include "drift/Mitigation.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/Guard.h"
#include "ui/PrintKey.h"
#include "ui/ScreenFit.h"
#include "ui/app/HelpSystem.h"
#include "ui/app/WindowImage.h"
#include "ui/drift/DepositionChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int helpContext = 22;
constexpr int launcherGap = 21;

TdmKelvoADO& DataModule() {
    if (!dmKelvoADO) throw EKelvoError(u"The scenario database is not open"_s);
    return *dmKelvoADO;
}

QLineEdit* Output(QWidget* parent, const QString& name, int width = 90) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFixedWidth(width);
    edit->setAlignment(Qt::AlignRight);
    edit->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

QComboBox* DropDown(QWidget* parent, const QString& name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(false);
    combo->setMinimumWidth(160);
    return combo;
}

QGroupBox* Group(QWidget* parent, const QString& name, const QString& caption) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    return group;
}

QLabel* Label(QWidget* parent, const QString& text) {
    return new QLabel(text, parent);
}

} // namespace

TfrmDrift::TfrmDrift(QWidget* parent)
    : QDialog(parent), m_dm(DataModule()), m_crops(m_dm.LoadCrops(true)),
      m_calculation(std::make_unique<TDriftCalculation>(m_dm)) {
    setObjectName(u"frmDrift"_s);
    setWindowTitle(u"Calculation of drift loading into surface water"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    SetHelpContext(this, helpContext);
    CreateControls();
    for (const TCrop* crop : m_crops->Items<TCrop>())
        cmbCrop->addItem(crop->Name);
    cmbWater->addItems(m_dm.GetWaterBodyCodes());
    cmbMitigation->addItem(u"FOCUS values"_s);
    cmbMitigation->addItems(m_dm.GetMitigationDistances());
    cmbMitigation->setCurrentIndex(0);
    for (int reduction : DriftReductions())
        cmbReduction->addItem(reduction == 0 ? u"none"_s : u"%1 %"_s.arg(reduction));
    Connect();
}

// The typed distance's editor ends its editing when the children go: not into a window half gone.
TfrmDrift::~TfrmDrift() {
    disconnect(cmbMitigation->lineEdit(), nullptr, this, nullptr);
}

void TfrmDrift::CreateControls() {
    // The calculator on the left; the deposition curve, when shown, beside it.
    auto* outer = new QHBoxLayout(this);
    auto* layout = new QVBoxLayout;
    outer->addLayout(layout);

    QGroupBox* input = Group(this, u"grpInput"_s, u" Input "_s);
    auto* inputLayout = new QGridLayout(input);
    edtRate = new QLineEdit(u"1000"_s, input);
    edtRate->setObjectName(u"edtRate"_s);
    edtRate->setFixedWidth(90);
    edtRate->setAlignment(Qt::AlignRight);
    cmbNumber = DropDown(input, u"cmbNumber"_s);
    cmbNumber->addItems({u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8 or more"_s});
    cmbCrop = DropDown(input, u"cmbCrop"_s);
    cmbWater = DropDown(input, u"cmbWater"_s);
    cmbMitigation = DropDown(input, u"cmbMitigation"_s);
    // A distance not listed is typed: a buffer from the FOCUS distance up to 100 m.
    cmbMitigation->setEditable(true);
    cmbMitigation->setInsertPolicy(QComboBox::NoInsert);
    cmbMitigation->setCompleter(nullptr);
    cmbReduction = DropDown(input, u"cmbReduction"_s);
    inputLayout->addWidget(Label(input, u"Application Rate (g ai/ha):"_s), 0, 0);
    inputLayout->addWidget(edtRate, 0, 1, Qt::AlignLeft);
    inputLayout->addWidget(Label(input, u"Number of Applications:"_s), 0, 2);
    inputLayout->addWidget(cmbNumber, 0, 3);
    inputLayout->addWidget(Label(input, u"Crop:"_s), 1, 0);
    inputLayout->addWidget(cmbCrop, 1, 1);
    inputLayout->addWidget(Label(input, u"Waterbody:"_s), 1, 2);
    inputLayout->addWidget(cmbWater, 1, 3);
    inputLayout->addWidget(Label(input, u"Use FOCUS (step 3) or mitigation distances (m)?"_s), 2, 0, 1, 3);
    inputLayout->addWidget(cmbMitigation, 2, 3);
    inputLayout->addWidget(Label(input, u"Drift reduction (drift-reducing nozzles):"_s), 3, 0, 1, 3);
    inputLayout->addWidget(cmbReduction, 3, 3);
    layout->addWidget(input);

    QGroupBox* regression =
        Group(this, u"grpRegression"_s,
              u" Info: Drift regression terms to provide overall 90th percentile drift data "_s);
    auto* regressionLayout = new QHBoxLayout(regression);
    regressionLayout->addWidget(Label(regression, u"Regression parameters"_s));
    for (auto [edit, name, caption] :
         {std::tuple{&edtRegA, u"edtRegA"_s, u"A:"_s}, std::tuple{&edtRegB, u"edtRegB"_s, u"B:"_s},
          std::tuple{&edtRegC, u"edtRegC"_s, u"C:"_s}, std::tuple{&edtRegD, u"edtRegD"_s, u"D:"_s}}) {
        regressionLayout->addWidget(Label(regression, caption));
        *edit = Output(regression, name, 80);
        regressionLayout->addWidget(*edit);
    }
    regressionLayout->addWidget(Label(regression, u"Hinge (m):"_s));
    edtChange = Output(regression, u"edtChange"_s, 50);
    edtChange->setText(u"13.6"_s);
    regressionLayout->addWidget(edtChange);
    regressionLayout->addStretch();
    layout->addWidget(regression);

    QGroupBox* dimensions =
        Group(this, u"grpDimensions"_s, u" Info: Dimensions of receiving water body and field site (m) "_s);
    auto* dimensionsLayout = new QVBoxLayout(dimensions);
    auto* sizes = new QHBoxLayout;
    for (auto [edit, name, caption] : {std::tuple{&edtWidth, u"edtWidth"_s, u"Width:"_s},
                                       std::tuple{&edtDepth, u"edtDepth"_s, u"Depth:"_s},
                                       std::tuple{&edtLength, u"edtLength"_s, u"Length:"_s}}) {
        sizes->addWidget(Label(dimensions, caption));
        *edit = Output(dimensions, name, 70);
        sizes->addWidget(*edit);
    }
    sizes->addStretch();
    dimensionsLayout->addLayout(sizes);
    // Hiding the bank distance and its label brings lblWater to the place of lblTopOfBank.
    auto* distances = new QHBoxLayout;
    distances->addWidget(Label(dimensions, u"Distance:"_s));
    distances->addWidget(Label(dimensions, u"Crop <--"_s));
    edtDistanceCrop = Output(dimensions, u"edtDistanceCrop"_s, 60);
    distances->addWidget(edtDistanceCrop);
    lblTopOfBank = Label(dimensions, u"--> Top of bank <--"_s);
    lblTopOfBank->setObjectName(u"lblTopOfBank"_s);
    distances->addWidget(lblTopOfBank);
    edtDistance = Output(dimensions, u"edtDistance"_s, 60);
    distances->addWidget(edtDistance);
    lblWater = Label(dimensions, u"--> Water"_s);
    lblWater->setObjectName(u"lblWater"_s);
    distances->addWidget(lblWater);
    distances->addStretch();
    dimensionsLayout->addLayout(distances);
    layout->addWidget(dimensions);

    QGroupBox* deposition =
        Group(this, u"grpDeposition"_s, u" Output:  Drift deposition in water body per drift event "_s);
    auto* depositionLayout = new QGridLayout(deposition);
    auto* percentile = new QHBoxLayout;
    percentile->addWidget(Label(deposition, u"Drift percentile per event:"_s));
    edtDrift = Output(deposition, u"edtDrift"_s, 40);
    percentile->addWidget(edtDrift);
    percentile->addWidget(Label(deposition, u"based on a total of "_s));
    edtApplications = Output(deposition, u"edtApplications"_s, 70);
    percentile->addWidget(edtApplications);
    percentile->addWidget(Label(deposition, u"applications."_s));
    percentile->addStretch();
    depositionLayout->addLayout(percentile, 0, 0, 1, 4);
    depositionLayout->addWidget(Label(deposition, u"at edge nearest field"_s), 1, 1);
    depositionLayout->addWidget(Label(deposition, u"farthest from field"_s), 1, 2);
    depositionLayout->addWidget(Label(deposition, u"areic mean"_s), 1, 3);
    depositionLayout->addWidget(Label(deposition, u"Distance from crop: (m)"_s), 2, 0);
    edtDistanceCropDrift1 = Output(deposition, u"edtDistanceCropDrift1"_s);
    edtDistanceCropDrift2 = Output(deposition, u"edtDistanceCropDrift2"_s);
    depositionLayout->addWidget(edtDistanceCropDrift1, 2, 1);
    depositionLayout->addWidget(edtDistanceCropDrift2, 2, 2);
    depositionLayout->addWidget(Label(deposition, u"% of application rate:"_s), 3, 0);
    edtDrift1 = Output(deposition, u"edtDrift1"_s);
    edtDrift2 = Output(deposition, u"edtDrift2"_s);
    edtDrift3 = Output(deposition, u"edtDrift3"_s);
    depositionLayout->addWidget(edtDrift1, 3, 1);
    depositionLayout->addWidget(edtDrift2, 3, 2);
    depositionLayout->addWidget(edtDrift3, 3, 3);
    // With a mitigation the Step 3 mean stands beside the mitigated one.
    lblStep3Drift = Label(deposition, u"Step 3 areic mean"_s);
    lblStep3Drift->setObjectName(u"lblStep3Drift"_s);
    edtStep3Drift = Output(deposition, u"edtStep3Drift"_s);
    depositionLayout->addWidget(lblStep3Drift, 1, 4);
    depositionLayout->addWidget(edtStep3Drift, 3, 4);
    layout->addWidget(deposition);

    QGroupBox* loading = Group(this, u"grpLoading"_s, u" Output:  Drift loading onto water body "_s);
    auto* loadingLayout = new QGridLayout(loading);
    loadingLayout->addWidget(Label(loading, u"Mass loading per drift event:"_s), 0, 0);
    edtMassLoading = Output(loading, u"edtMassLoading"_s);
    loadingLayout->addWidget(edtMassLoading, 0, 1);
    loadingLayout->addWidget(Label(loading, u"mg per m2 of water surface area."_s), 0, 2);
    loadingLayout->addWidget(
        Label(loading, u"Nominal concentration in water,\nresulting from drift event:"_s), 1, 0);
    edtConcentration = Output(loading, u"edtConcentration"_s);
    loadingLayout->addWidget(edtConcentration, 1, 1);
    loadingLayout->addWidget(Label(loading, u"ug/L (for comparison with modelling result)"_s), 1, 2);
    loadingLayout->setColumnStretch(2, 1);
    layout->addWidget(loading);

    grpCurve = Group(this, u"grpCurve"_s, u" Deposition curve "_s);
    auto* curveLayout = new QVBoxLayout(grpCurve);
    chtDeposition = new TDepositionChart(grpCurve);
    curveLayout->addWidget(chtDeposition);
    grpCurve->hide();
    outer->addWidget(grpCurve, 0, Qt::AlignTop);

    auto* sourcesTitle = Label(this, u"Data sources:"_s);
    QFont bold = sourcesTitle->font();
    bold.setBold(true);
    sourcesTitle->setFont(bold);
    layout->addWidget(sourcesTitle);
    auto* sources =
        Label(this, u"Drift data: BBA (2000), spray-drift measurements in Germany; AgDRIFT 1.11 (1999) for "
                    u"aerial application.\n"
                    u"Percentiles per number of applications: FOCUS Surface Water Scenarios working group.\n"
                    u"Regressions: FOCUS Surface Water Scenarios working group, fitted to the 90th "
                    u"percentile drift data."_s);
    QFont small = sources->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    sources->setFont(small);
    layout->addWidget(sources);

    auto* buttons = new QHBoxLayout;
    chkCurve = new QCheckBox(u"Show the deposition curve"_s, this);
    chkCurve->setObjectName(u"chkCurve"_s);
    buttons->addWidget(chkCurve);
    btnSave = new QPushButton(u"Save Screen"_s, this);
    btnSave->setObjectName(u"btnSave"_s);
    btnPrint = new QPushButton(u"&Print"_s, this);
    btnPrint->setObjectName(u"btnPrint"_s);
    btnClose = new QPushButton(u"&Close"_s, this);
    btnClose->setObjectName(u"btnClose"_s);
    for (QPushButton* b : {btnSave, btnPrint, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(1);
    layout->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmDrift::Connect() {
    const auto guard = [this](void (TfrmDrift::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(cmbCrop, &QComboBox::currentIndexChanged, this, guard(&TfrmDrift::CropChanged));
    connect(cmbNumber, &QComboBox::currentIndexChanged, this, guard(&TfrmDrift::NumberChanged));
    connect(cmbWater, &QComboBox::currentIndexChanged, this, guard(&TfrmDrift::WaterChanged));
    connect(cmbMitigation, &QComboBox::currentIndexChanged, this, guard(&TfrmDrift::MitigationChanged));
    connect(cmbMitigation, &QComboBox::activated, this, guard(&TfrmDrift::MitigationChanged));
    connect(cmbMitigation->lineEdit(), &QLineEdit::editingFinished, this, guard(&TfrmDrift::MitigationChanged));
    connect(cmbReduction, &QComboBox::currentIndexChanged, this, guard(&TfrmDrift::ReductionChanged));
    connect(chkCurve, &QCheckBox::toggled, this, guard(&TfrmDrift::CurveToggled));
    connect(edtRate, &QLineEdit::editingFinished, this, guard(&TfrmDrift::RateChanged));
    connect(btnSave, &QPushButton::clicked, this, guard(&TfrmDrift::SaveScreen));
    connect(btnPrint, &QPushButton::clicked, this, guard(&TfrmDrift::Print));
    PrintOnKey(*btnPrint);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

// Placed again when shown, when the window has its final size; never partly off the screen.
void TfrmDrift::PlaceOver(const QWidget& launcher) {
    m_launcher = &launcher;
    const QRect frame = launcher.frameGeometry();
    move(frame.left() + (frame.width() - frameGeometry().width()) / 2, frame.top() - launcherGap);
    KeepOnScreen(*this);
}

// The first crop, one application and the first water body type, once per opening: a message box or the
// file question closing must not reset what the user chose.
void TfrmDrift::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_launcher) PlaceOver(*m_launcher);
    if (m_started) return;
    m_started = true;
    Guarded([this] { Start(); });
}

void TfrmDrift::Start() {
    const QSignalBlocker crops(cmbCrop), numbers(cmbNumber), waters(cmbWater);
    cmbCrop->setCurrentIndex(0);
    cmbNumber->setCurrentIndex(0);
    cmbWater->setCurrentIndex(0);
    Guarded([this] { CropChanged(); });
    Guarded([this] { NumberChanged(); });
    Guarded([this] { WaterChanged(); });
    edtRate->setFocus();
}

void TfrmDrift::CropChanged() {
    const int index = cmbCrop->currentIndex();
    const TCrop* crop = index >= 0 && index < m_crops->Count() ? m_crops->Items<TCrop>()[index] : nullptr;
    try {
        m_calculation->SetCrop(crop);
    } catch (...) {
        ShowTexts();
        throw;
    }
    ShowTexts();
}

void TfrmDrift::NumberChanged() {
    try {
        m_calculation->SetNumberOfApplications(cmbNumber->currentIndex() + 1);
    } catch (...) {
        ShowTexts();
        throw;
    }
    ShowTexts();
}

void TfrmDrift::WaterChanged() {
    try {
        m_calculation->SetWaterBodyType(cmbWater->currentText());
    } catch (...) {
        ShowTexts();
        throw;
    }
    ShowTexts();
}

// A chosen or typed distance; a refused one is shown and the distance in use comes back.
void TfrmDrift::MitigationChanged() {
    const QString text = cmbMitigation->currentText().trimmed();
    const QString distance = text.isEmpty() || text == cmbMitigation->itemText(0) ? QString() : text;
    if (distance == m_calculation->Mitigation()) return;
    try {
        m_calculation->SetMitigation(distance);
    } catch (...) {
        const QSignalBlocker block(cmbMitigation);
        cmbMitigation->setEditText(m_calculation->FocusValues() ? cmbMitigation->itemText(0)
                                                                : m_calculation->Mitigation());
        ShowTexts();
        throw;
    }
    ShowTexts();
}

void TfrmDrift::ReductionChanged() {
    const int index = cmbReduction->currentIndex();
    try {
        m_calculation->SetReduction(index >= 0 ? DriftReductions().value(index) : 0);
    } catch (...) {
        ShowTexts();
        throw;
    }
    ShowTexts();
}

void TfrmDrift::RateChanged() {
    if (edtRate->text() == m_calculation->Texts().edtRate) return;
    try {
        m_calculation->SetRate(edtRate->text());
    } catch (...) {
        ShowTexts();
        throw;
    }
    ShowTexts();
}

void TfrmDrift::ShowTexts() {
    const TDriftCalculation::TTexts& t = m_calculation->Texts();
    const std::pair<QLineEdit*, const QString*> fields[] = {
        {edtRegA, &t.edtRegA},
        {edtRegB, &t.edtRegB},
        {edtRegC, &t.edtRegC},
        {edtRegD, &t.edtRegD},
        {edtChange, &t.edtChange},
        {edtWidth, &t.edtWidth},
        {edtDepth, &t.edtDepth},
        {edtLength, &t.edtLength},
        {edtDistanceCrop, &t.edtDistanceCrop},
        {edtDistance, &t.edtDistance},
        {edtDrift, &t.edtDrift},
        {edtApplications, &t.edtApplications},
        {edtDistanceCropDrift1, &t.edtDistanceCropDrift1},
        {edtDistanceCropDrift2, &t.edtDistanceCropDrift2},
        {edtDrift1, &t.edtDrift1},
        {edtDrift2, &t.edtDrift2},
        {edtDrift3, &t.edtDrift3},
        {edtStep3Drift, &t.edtStep3Drift},
        {edtMassLoading, &t.edtMassLoading},
        {edtConcentration, &t.edtConcentration},
    };
    for (const auto& [edit, text] : fields)
        edit->setText(*text);
    if (!m_calculation->NumberEnabled()) {
        const QSignalBlocker block(cmbNumber);
        cmbNumber->setCurrentIndex(m_calculation->NumberOfApplications() - 1);
    }
    cmbNumber->setEnabled(m_calculation->NumberEnabled());
    const bool focus = m_calculation->FocusValues();
    edtDistance->setVisible(focus);
    lblTopOfBank->setVisible(focus);
    const bool mitigated = m_calculation->Mitigated();
    edtStep3Drift->setVisible(mitigated);
    lblStep3Drift->setVisible(mitigated);
    if (grpCurve->isVisible()) chtDeposition->Show(*m_calculation);
}

// The window grows by the curve beside it, and stays on the screen.
void TfrmDrift::CurveToggled() {
    grpCurve->setVisible(chkCurve->isChecked());
    if (grpCurve->isVisible()) chtDeposition->Show(*m_calculation);
    adjustSize();
    // The grown frame is known once the layout and the window system took the new size.
    QTimer::singleShot(0, this, [this] { KeepOnScreen(*this); });
}

void TfrmDrift::SaveScreen() {
    QString file = AskSaveFileName(u"Save Screen"_s, QString(), u"Bitmap (*.bmp)"_s);
    if (file.isEmpty()) return;
    // The file dialog asked about the name as chosen; the name with ".bmp" added is asked about here.
    if (QFileInfo(file).suffix().isEmpty()) {
        file += u".bmp"_s;
        const QString question = u"%1 already exists.\nDo you want to replace it?"_s;
        if (QFileInfo::exists(file) && !AskConfirmation(question.arg(QDir::toNativeSeparators(file)))) return;
    }
    btnSave->setFocus();
    btnPrint->hide();
    btnSave->hide();
    const QPixmap image = grab();
    btnPrint->show();
    btnSave->show();
    if (!image.save(file, "BMP")) throw EKelvoError(u"Cannot write "_s + file);
}

void TfrmDrift::PrintTo(QPrinter& printer) {
    btnPrint->setFocus();
    PrintWindowImage(*this, printer, QPageLayout::Portrait, {btnPrint, btnSave, btnClose});
}

void TfrmDrift::Print() {
    btnPrint->setFocus();
    PrintWindowImageAsked(*this, QPageLayout::Portrait, {btnPrint, btnSave, btnClose});
}
