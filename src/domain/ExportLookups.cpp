#include "domain/ExportLookups.h"

#include "domain/Run.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename TCompute>
QString Remembered(QHash<QString, QString>& texts, const QString& key, TCompute compute) {
    auto found = texts.constFind(key);
    if (found == texts.constEnd()) found = texts.insert(key, compute());
    return *found;
}

} // namespace

bool TExportLookups::DriftLoading(const TRun& run, int position, double& deposition, double& massLoading,
                                  bool step3) {
    const TMitigation mitigation = step3 ? TMitigation() : run.Mitigation;
    QString key = u"%1\x1f%2\x1f%3\x1f%4\x1f%5"_s.arg(run.AppMethod)
                      .arg(run.NumberOfApps)
                      .arg(run.CropCode, run.WaterbodyCode)
                      .arg(run.RateOf(position), 0, 'g', 17);
    if (!mitigation.IsStep3())
        key += u"\x1f%1\x1f%2"_s.arg(mitigation.Buffer ? QString::number(*mitigation.Buffer, 'g', 17) : QString())
                   .arg(mitigation.Reduction);
    auto found = m_drift.constFind(key);
    if (found == m_drift.constEnd()) {
        TDrift drift{};
        double concentration = 0;
        drift.drift = run.DriftLoading(position, drift.deposition, drift.massLoading, concentration, step3);
        found = m_drift.insert(key, drift);
    }
    deposition = found->deposition;
    massLoading = found->massLoading;
    return found->drift;
}

QString TExportLookups::CropName(const TRun& run) {
    return Remembered(m_texts, u"name\x1f"_s + run.CropCode, [&run] { return run.GetCropName(); });
}

QString TExportLookups::MacroCropName(const TRun& run) {
    return Remembered(m_texts, u"macro\x1f"_s + run.CropCode, [&run] { return run.MacroCropName(); });
}

QString TExportLookups::CropFolderName(const TRun& run) {
    return Remembered(m_texts, u"folder\x1f"_s + run.CropCode, [&run] { return run.CropFolderName(); });
}

QString TExportLookups::PRZMFolderName(const TRun& run) {
    return Remembered(m_texts, u"przm\x1f"_s + run.CropCode + u'\x1f' + run.CropNr,
                      [&run] { return run.PRZMFolderName(); });
}

int TExportLookups::CAMNumber(const QString& cam) {
    auto found = m_cams.constFind(cam);
    if (found == m_cams.constEnd()) found = m_cams.insert(cam, dmKelvoADO->CAMNumber(cam));
    return *found;
}

int TExportLookups::Relationship(const QString& substanceCode) {
    auto found = m_relationships.constFind(substanceCode);
    if (found == m_relationships.constEnd())
        found = m_relationships.insert(substanceCode,
                                       dmKelvoADO->SubstancePRZMInteger(substanceCode, u"icombo3"_s));
    return *found;
}
