#include "ui/app/SiteMap.h"

#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "ui/app/EuropeMap.h"
#include "foundation/Installation.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TfrmSiteMap::TfrmSiteMap(QWidget* owner) : QDialog(owner) {
    setObjectName(u"frmSiteMap"_s);
    setWindowTitle(u"Map of EU regional setting "_s);
    m_picture = new QLabel(this);
    m_picture->setObjectName(u"imgSiteMap"_s);
    m_picture->setScaledContents(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picture);
    setFixedSize(ScenarioMapSize);
}

void TfrmSiteMap::LoadPicture(const QString& fileName) {
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull())
        throw EKelvoError(u"Cannot read the picture %1: %2"_s.arg(fileName, reader.errorString()));
    m_picture->setPixmap(QPixmap::fromImage(image));
}

QString SiteMapFileName(const QString& locationCode) {
    return ProgramFile(u"data/Maps/%1.bmp"_s.arg(locationCode));
}

void ShowSiteMap(const QString& locationCode, QWidget* owner) {
    const QString fileName = SiteMapFileName(locationCode);
    if (!QFileInfo(fileName).isFile()) {
        ShowMessage(u"No map available of this scenario."_s);
        return;
    }
    TfrmSiteMap map(owner);
    map.LoadPicture(fileName);
    map.exec();
}
