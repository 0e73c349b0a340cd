#include "cli/ScenarioArguments.h"

#include "domain/Crop.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void Unknown(const QString& what, const QString& value, const QStringList& valid) {
    throw EKelvoError(u"Unknown %1: %2. Valid are: %3"_s.arg(what, value, valid.join(u"; "_s)));
}

} // namespace

TCrop* FindCrop(const TAggregationList& crops, const QString& text) {
    QStringList valid;
    for (TCrop* crop : crops.Items<TCrop>()) {
        if (crop->CropCode.compare(text, Qt::CaseInsensitive) == 0 ||
            crop->Name.compare(text, Qt::CaseInsensitive) == 0)
            return crop;
        valid << crop->CropCode;
    }
    Unknown(u"crop"_s, text, valid);
}

QStringList FindWaterBodyCodes(const QStringList& valid, const QString& list) {
    QStringList codes;
    for (const QString& code : list.split(u',', Qt::SkipEmptyParts))
        codes << FindListed(valid, code.trimmed(), u"water body type"_s);
    return codes;
}

QString FindListed(const QStringList& valid, const QString& text, const QString& what) {
    for (const QString& entry : valid)
        if (entry.compare(text, Qt::CaseInsensitive) == 0) return entry;
    Unknown(what, text, valid);
}
