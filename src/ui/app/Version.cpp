#include "ui/app/Version.h"

#include "foundation/ModelVersions.h"
#include "ui/app/HelpSystem.h"
#include "ui_Version.h"

using namespace Qt::Literals::StringLiterals;

TfrmVersions::TfrmVersions(QWidget* owner) : QDialog(owner), ui(std::make_unique<Ui::TfrmVersions>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    SetHelpContext(this, 28);
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);

    const QString kelvoDatabase = QString::fromUtf16(KelvoDatabaseVersion);
    ui->lblKelvo_shell->setText(u"v. 1 (= 2.1, 9 Apr 2003)"_s);
    ui->lblKelvo_db->setText(kelvoDatabase);

    const TModelVersions toxswa = ReadModelVersions(TModel::Toxswa);
    const TModelVersions macro = ReadModelVersions(TModel::Macro);
    const TModelVersions przm = ReadModelVersions(TModel::Przm);
    ui->lblTOXSWAm->setText(toxswa.model);
    ui->lblTOXSWAs->setText(toxswa.shell);
    ui->lblTOXSWAd->setText(toxswa.data);
    ui->lblMACROm->setText(macro.model);
    ui->lblMACROs->setText(macro.shell);
    ui->lblMACROd->setText(macro.data);
    ui->lblPRZMm->setText(przm.model);
    ui->lblPRZMs->setText(przm.shell);
    ui->lblPRZMd->setText(przm.data);

    ui->lblDriftms->setText(u"v. 1 (= 12 Apr 2001)"_s);
    ui->lblDriftd->setText(u"v. 1 (= 12 Apr 2001)"_s);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmVersions::~TfrmVersions() = default;

void ShowVersions(QWidget* owner) {
    TfrmVersions versions(owner);
    if (owner) {
        versions.adjustSize();
        versions.move(owner->window()->frameGeometry().center() - versions.rect().center());
    }
    versions.exec();
}
