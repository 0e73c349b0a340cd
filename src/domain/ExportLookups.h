#pragma once

#include <QHash>
#include <QString>

class TRun;

// The lookups of one export walk, each answered from the database once per distinct question: the
// run's crop names and folders, CAM numbers and drift loadings (which depend only on the application
// method, number of applications, crop, water body type, rate and mitigation).
class TExportLookups {
public:
    // As TRun::DriftLoading, without the concentration.
    bool DriftLoading(const TRun& run, int position, double& deposition, double& massLoading,
                      bool step3 = false);
    QString CropName(const TRun& run);
    QString MacroCropName(const TRun& run);
    QString CropFolderName(const TRun& run);
    QString PRZMFolderName(const TRun& run);
    int CAMNumber(const QString& cam);
    // The metabolite scheme (icombo3) of the substance's PRZM record; 0 without one.
    int Relationship(const QString& substanceCode);

private:
    struct TDrift {
        bool drift;
        double deposition;
        double massLoading;
    };
    QHash<QString, TDrift> m_drift;
    QHash<QString, QString> m_texts;
    QHash<QString, int> m_cams;
    QHash<QString, int> m_relationships;
};
