#include "domain/RunApplication.h"

#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

TRunApplication::TRunApplication(int applicationNr, const QString& appMethod) : ApplicationNr(applicationNr) {
    dmKelvoADO->CAMDefault(appMethod, CAM, Depi, Perc);
}

std::unique_ptr<TRunApplication> TRunApplication::Copy() const {
    auto copy = std::make_unique<TRunApplication>(ApplicationNr, QString());
    copy->Rate = Rate;
    copy->CAM = CAM;
    copy->Depi = Depi;
    copy->Perc = Perc;
    return copy;
}

QString TRunApplication::ClassName() const {
    return u"TRunApplication"_s;
}
