#include "domain/Run.h"

#include "domain/Crop.h"
#include "domain/RunApplication.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString VegetablesRoot = u"Vegetables, root"_s;
const QString VegetablesLeafy = u"Vegetables, leafy"_s;

struct TPeriod {
    int startYear;
    int startMonth;
    int endYear;
    int endMonth;
    int endDay;
};

// A run without a date stores none.
QVariant NullWhenInvalid(const QDateTime& date) {
    return date.isValid() ? QVariant(date) : QVariant();
}

} // namespace

TRun::TRun() : Applications(std::make_unique<TAggregationList>()) {}

void TRun::SetRunID(int runNumber, const QString& suffix) {
    RunID = RunNumberText(runNumber, WaterbodyCode) + suffix;
}

void TRun::SetNumberOfApplications(int n) {
    auto applications = std::make_unique<TAggregationList>();
    for (int i = 1; i <= n; ++i)
        applications->Add(new TRunApplication(i, AppMethod));
    Applications = std::move(applications);
}

TRunApplication* TRun::GetApplication(int position) const {
    if (position < 1 || position > Applications->Count()) return nullptr;
    return static_cast<TRunApplication*>(Applications->GetItem(position));
}

double TRun::RateOf(int position) const {
    const TRunApplication* application = GetApplication(position);
    return application ? application->Rate : 0.0;
}

bool TRun::InsertRecord(int projectId) const {
    try {
        TTable& table = dmKelvoADO->tblRunInsert;
        if (!table.active()) table.open();
        table.appendRecord({
            RunID,
            projectId,
            LocationCode,
            CropCode,
            WaterbodyCode,
            Name.isEmpty() ? u"RUN"_s + RunID : Name,
            NullWhenInvalid(CreationDate),
            NullWhenInvalid(ModificationDate),
            AppMethod,
            NumberOfApps,
            FirstDayYrApp,
            LastDayYrApp,
            MinIntervalApps,
            0,
            SelectedText(),
            u"Not Available"_s,
            CropNr,
            ShortRunCode(RunID),
            DayNumberToText(FirstDayYrApp),
            DayNumberToText(LastDayYrApp),
            QString(),
            Locked,
            Mitigation.Buffer ? QVariant(*Mitigation.Buffer) : QVariant(),
            Mitigation.Reduction != 0 ? QVariant(Mitigation.Reduction) : QVariant(),
        });
    } catch (...) {
        ShowCurrentException();
        return false;
    }
    return true;
}

bool TRun::InsertApplicationRecords() const {
    if (!dmKelvoADO->OpenApplicationInsert()) return false;
    for (const TRunApplication* application : Applications->Items<TRunApplication>()) {
        try {
            dmKelvoADO->tblApplicationInsert.appendRecord({
                application->ApplicationNr,
                RunID,
                application->Rate,
                application->CAM,
                application->Depi,
                application->Perc,
            });
        } catch (...) {
            ShowCurrentException();
            return false;
        }
    }
    dmKelvoADO->CloseApplicationInsert();
    return true;
}

bool TRun::DriftLoading(int position, double& deposition, double& massLoading, double& concentration,
                        bool step3) const {
    const std::unique_ptr<TWaterBodyType> waterBody = dmKelvoADO->LoadWaterBodyType(WaterbodyCode);
    const std::unique_ptr<TCrop> crop = dmKelvoADO->LoadCrop(CropCode);
    const double rate = RateOf(position) * 1000.0; // kg/ha to g/ha
    return CalculateDriftLoading(*dmKelvoADO, AppMethod, NumberOfApps, crop.get(), waterBody.get(), rate,
                                 deposition, massLoading, concentration, step3 ? TMitigation() : Mitigation);
}

bool TRun::SimulationPeriod(QDate& startDate, QDate& endDate) const {
    // Runoff scenarios start in spring, summer or autumn by the first day of application.
    const int season = FirstDayYrApp >= 60 && FirstDayYrApp <= 151    ? 0
                       : FirstDayYrApp >= 152 && FirstDayYrApp <= 273 ? 1
                                                                      : 2;
    static const struct {
        const char16_t* code;
        TPeriod period[3];
    } periods[] = {
        {u"D1", {{1982, 1, 1983, 4, 30}, {1982, 1, 1983, 4, 30}, {1982, 1, 1983, 4, 30}}},
        {u"D2", {{1986, 1, 1987, 4, 30}, {1986, 1, 1987, 4, 30}, {1986, 1, 1987, 4, 30}}},
        {u"D3", {{1992, 1, 1993, 4, 30}, {1992, 1, 1993, 4, 30}, {1992, 1, 1993, 4, 30}}},
        {u"D4", {{1985, 1, 1986, 4, 30}, {1985, 1, 1986, 4, 30}, {1985, 1, 1986, 4, 30}}},
        {u"D5", {{1978, 1, 1979, 4, 30}, {1978, 1, 1979, 4, 30}, {1978, 1, 1979, 4, 30}}},
        {u"D6", {{1986, 1, 1987, 4, 30}, {1986, 1, 1987, 4, 30}, {1986, 1, 1987, 4, 30}}},
        {u"R1", {{1984, 3, 1985, 2, 28}, {1978, 6, 1979, 5, 31}, {1978, 10, 1979, 9, 30}}},
        {u"R2", {{1977, 3, 1978, 2, 28}, {1989, 6, 1990, 5, 31}, {1977, 10, 1978, 9, 30}}},
        {u"R3", {{1980, 3, 1981, 2, 28}, {1975, 6, 1976, 5, 31}, {1980, 10, 1981, 9, 30}}},
        {u"R4", {{1984, 3, 1985, 2, 28}, {1985, 6, 1986, 5, 31}, {1979, 10, 1980, 9, 30}}},
    };
    for (const auto& entry : periods) {
        if (LocationCode != QStringView(entry.code)) continue;
        const TPeriod& p = entry.period[season];
        startDate = QDate(p.startYear, p.startMonth, 1);
        endDate = QDate(p.endYear, p.endMonth, p.endDay);
    }
    return true;
}

std::unique_ptr<TRun> TRun::Copy(int newRunNumber) const {
    try {
        auto copy = std::make_unique<TRun>();
        copy->Selected = Selected;
        copy->SubstanceCode = SubstanceCode;
        copy->LocationCode = LocationCode;
        copy->CropCode = CropCode;
        copy->CropNr = CropNr;
        copy->WaterbodyCode = WaterbodyCode;
        // The suffix ("_pa", "_m1", "_m2") ends the run ID, however many digits its number has.
        copy->SetRunID(newRunNumber, RunID.right(3));
        copy->Name = u"copy_"_s + Name;
        copy->CreationDate = CreationDate;
        copy->ModificationDate = ModificationDate;
        copy->AppMethod = AppMethod;
        copy->NumberOfApps = NumberOfApps;
        copy->FirstDayYrApp = FirstDayYrApp;
        copy->LastDayYrApp = LastDayYrApp;
        copy->MinIntervalApps = MinIntervalApps;
        copy->Locked = Locked;
        copy->Mitigation = Mitigation;
        for (const TRunApplication* application : Applications->Items<TRunApplication>())
            copy->Applications->Add(application->Copy().release());
        return copy;
    } catch (...) {
        return nullptr;
    }
}

bool TRun::IsRunoff() const {
    return LocationCode.startsWith(u'R');
}

QString TRun::RunNumberPart() const {
    return ::RunNumberPart(RunID);
}

int TRun::RunNumber() const {
    return std::max(RunNumberOf(RunID), 0);
}

bool TRun::IsMetabolite() const {
    return RunID.right(2).toLower() != u"pa"_s;
}

QString TRun::SelectedText() const {
    return Selected ? u"Yes"_s : QString();
}

int TRun::ApplicationSchemeNumber() const {
    const QString ending = RunID.right(2);
    const int substanceDigit = ending == u"m1"_s ? 1 : ending == u"m2"_s ? 2 : 0;
    int waterDigit = 0;
    if (WaterbodyCode == u"focus_ditch"_s)
        waterDigit = 1;
    else if (WaterbodyCode == u"focus_pond"_s)
        waterDigit = 2;
    else if (WaterbodyCode == u"focus_stream"_s)
        waterDigit = 3;
    if (waterDigit == 0) return substanceDigit;
    return (RunNumber() * 10 + waterDigit) * 10 + substanceDigit;
}

QString TRun::MacroOutputFileName() const {
    const QString number = RunNumberPart();
    return u"macro"_s + number + RunID.mid(number.size() + 1, 2) + u".m2t"_s;
}

QString TRun::PRZMOutputFileName() const {
    const QString ending = RunID.right(2);
    const QString digit = ending == u"pa"_s   ? u"1"_s
                          : ending == u"m1"_s ? u"2"_s
                          : ending == u"m2"_s ? u"3"_s
                                              : QString();
    return RunNumberPart() + u"-C"_s + digit + u".p2t"_s;
}

QString TRun::GetCropName() const {
    return dmKelvoADO->CropName(CropCode);
}

QString TRun::MacroCropName() const {
    QString name = GetCropName();
    const QString code = CropCode.toUpper();
    qsizetype p = code.indexOf(u"EARLY"_s);
    if (p < 0) p = code.indexOf(u"LATE"_s);
    if (p < 0) return name;
    name = name.left(p).trimmed();
    if (name.endsWith(u',')) name.chop(1);
    return name;
}

QString TRun::CropFolderName() const {
    return dmKelvoADO->CropDirName(CropCode);
}

QString TRun::PRZMFolderName() const {
    const QString folder = dmKelvoADO->CropDirName(CropCode);
    return IsTwoSeasonVegetable() ? folder + u'_' + CropNr : folder;
}

QString TRun::PRZMCropCode() const {
    return IsTwoSeasonVegetable() ? CropCode + u' ' + CropNr : CropCode;
}

bool TRun::IsTwoSeasonVegetable() const {
    return CropCode == VegetablesRoot || CropCode == VegetablesLeafy;
}

QString TRun::ClassName() const {
    return u"TRun"_s;
}
