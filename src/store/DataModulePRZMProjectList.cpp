#include "store/DataModuleKelvoADO.h"

#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/Utils.h"

#include <QLocale>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// "dd-mmm-yyyy-hh:mm" with the regional short month name.
QString CreationText(const QDateTime& date) {
    return u"%1-%2-%3-%4"_s.arg(date.date().day(), 2, 10, QChar(u'0'))
        .arg(QLocale().monthName(date.date().month(), QLocale::ShortFormat))
        .arg(date.date().year())
        .arg(date.time().toString(u"hh:mm"_s));
}

} // namespace

void TdmKelvoADO::WritePRZMProjectList() {
    // A query of its own walks the project list, so the browser's current project stays where it is.
    TQuery projects(&dbKelvoADO, u"qryPRZMProjectList"_s, qryProjects.sql());
    projects.open();
    QByteArray bytes;
    for (projects.first(); !projects.eof(); projects.next())
        bytes += (PadRight(projects.fieldByName(u"Name"_s).asString(), 20) +
                  PadRight(projects.fieldByName(u"Path"_s).asString(), 80) +
                  PadRight(CreationText(projects.fieldByName(u"CreationDate"_s).asDateTime()), 17))
                     .toLatin1() +
                 "\r\n";
    const QString fileName = InstallationDir() + u"PRZM/przm.prj"_s;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EKelvoError(u"Cannot write %1: %2"_s.arg(fileName, file.errorString()));
}
