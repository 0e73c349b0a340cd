#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "foundation/Errors.h"
#include "foundation/FlagGuard.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Transaction.h"

#include <QCryptographicHash>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString windowTooSmall =
    u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s;
const QString nextYear =
    u"Last day should always be later than First day, so Last day is assigned to next year."_s;

// The application window in days: the last day lies in the next year unless it is after the first.
int ApplicationWindow(int firstDay, int lastDay) {
    return lastDay > firstDay ? lastDay - firstDay : lastDay + 365 - firstDay;
}

int RequiredWindow(int numberOfApps, int interval) {
    return 30 + (numberOfApps - 1) * interval;
}

bool IsRunoffCode(const QString& locationCode) {
    return locationCode.startsWith(u'R');
}

// The runs of one project, crop and season, in table order, as an editable view of their own.
std::unique_ptr<TQuery> RelatedRuns(TConnection& db, const QVariant& projectId, const QString& cropCode,
                                    const QString& cropNr) {
    auto query = std::make_unique<TQuery>(
        &db, u"qryRelatedRuns"_s,
        QStringList{u"select * from Runs"_s,
                    u"where (ProjectID = :pProjectID) and (CropCode = :pCropCode) and (CropNr = :pCropNr)"_s,
                    u"order by rowid"_s});
    query->setParams({projectId, cropCode, cropNr});
    query->open();
    return query;
}

} // namespace

void TdmKelvoADO::BindRunRules() {
    tblRuns.beforePost = [this](TRecordSet& rs) { tblRunsBeforePost(rs); };
    tblRuns.afterPost = [this](TRecordSet& rs) { tblRunsAfterPost(rs); };
    tblRuns.onCalcFields = [](TRecordSet& rs) { tblRunsCalcFields(rs); };
    tblRuns.afterInsert = [this](TRecordSet& rs) { tblRunsAfterInsert(rs); };
    tblRuns.beforeDelete = [this](TRecordSet& rs) { tblRunsBeforeDelete(rs); };
    tblRuns.afterDelete = [this](TRecordSet& rs) { tblRunsAfterDelete(rs); };
    tblRuns.fieldByName(u"NumberOfApps"_s).onChange = [this](TField& f) { tblRunsNumberOfAppsChange(f); };
    tblRuns.fieldByName(u"FirstDayYrApp"_s).onChange = [this](TField& f) { tblRunsFirstDayYrAppChange(f); };
    tblRuns.fieldByName(u"LastDayYrApp"_s).onChange = [this](TField& f) { tblRunsFirstDayYrAppChange(f); };
    tblRuns.fieldByName(u"FirstDayYrApp"_s).onValidate = [this](TField& f) {
        tblRunsFirstDayYrAppValidate(f);
    };
    tblRuns.fieldByName(u"LastDayYrApp"_s).onValidate = [this](TField& f) { tblRunsLastDayYrAppValidate(f); };
    tblRuns.fieldByName(u"FirstDayYrAppJulian"_s).onValidate = [this](TField& f) {
        tblRunsFirstDayYrAppJulianValidate(f);
    };
    tblRuns.fieldByName(u"LastDayYrAppJulian"_s).onValidate = [this](TField& f) {
        tblRunsLastDayYrAppJulianValidate(f);
    };
    tblRuns.fieldByName(u"BufferDistance"_s).onValidate = [this](TField& f) { tblRunsBufferDistanceValidate(f); };
    tblRuns.fieldByName(u"DriftReduction"_s).onValidate = [this](TField& f) { tblRunsDriftReductionValidate(f); };
    tblRuns.fieldByName(u"MinIntervalApps"_s).onValidate = [this](TField& f) {
        tblRunsMinIntervalAppsValidate(f);
    };
    tblApplications.afterInsert = [this](TRecordSet& rs) { tblApplicationsAfterInsert(rs); };
}

void TdmKelvoADO::CheckWindow(int numberOfApps, int interval, int firstDay, int lastDay, bool warn) {
    if (lastDay <= firstDay && warn) ShowWarning(nextYear);
    if (ApplicationWindow(firstDay, lastDay) < RequiredWindow(numberOfApps, interval))
        throw EKelvoError(windowTooSmall);
}

void TdmKelvoADO::CheckApplicationWindow(TRecordSet& recordSet, bool warn) {
    CheckWindow(recordSet.fieldByName(u"NumberOfApps"_s).asInteger(),
                recordSet.fieldByName(u"MinIntervalApps"_s).asInteger(),
                recordSet.fieldByName(u"FirstDayYrApp"_s).asInteger(),
                recordSet.fieldByName(u"LastDayYrApp"_s).asInteger(), warn);
}

void TdmKelvoADO::CheckRunoffWindows(int numberOfApps, int projectId, int runNumber, int interval,
                                     int lastDay, int firstDay, const QString& cropNr,
                                     const QString& cropCode) {
    auto runs = RelatedRuns(dbKelvoADO, projectId, cropCode, cropNr);
    for (runs->first(); !runs->eof(); runs->next()) {
        if (!IsRunoffCode(runs->fieldByName(u"LocationCode"_s).asString())) continue;
        const QString runId = runs->fieldByName(u"RunID"_s).asString();
        // The posted values replace the stored ones of the runs that share its number.
        const bool posted = RunNumberOf(runId) == runNumber;
        const int ownInterval = posted ? interval : runs->fieldByName(u"MinIntervalApps"_s).asInteger();
        const int ownFirst = posted ? firstDay : runs->fieldByName(u"FirstDayYrApp"_s).asInteger();
        const int ownLast = posted ? lastDay : runs->fieldByName(u"LastDayYrApp"_s).asInteger();
        if (ApplicationWindow(ownFirst, ownLast) < RequiredWindow(numberOfApps, ownInterval))
            throw EKelvoError(u"Application window too small for run "_s + runId +
                              u". It must be > 30 d + ((no_of_appl -1) * min. interval)."_s + u"\n\r"_s +
                              u"N.B. All R scenarios should have the same appln rate, appln method and no of "
                              "applns for one crop."_s);
    }
}

void TdmKelvoADO::tblRunsBeforePost(TRecordSet& rs) {
    CheckApplicationWindow(rs, false);
    CheckRunMitigation(rs);
    if (!IsRunoffCode(rs.fieldByName(u"LocationCode"_s).asString())) return;
    CheckRunoffWindows(
        rs.fieldByName(u"NumberOfApps"_s).asInteger(), rs.fieldByName(u"ProjectID"_s).asInteger(),
        RunNumberOf(rs.fieldByName(u"RunID"_s).asString()), rs.fieldByName(u"MinIntervalApps"_s).asInteger(),
        rs.fieldByName(u"LastDayYrApp"_s).asInteger(), rs.fieldByName(u"FirstDayYrApp"_s).asInteger(),
        rs.fieldByName(u"CropNr"_s).asString(), rs.fieldByName(u"CropCode"_s).asString());
}

// Spreads the posted pattern: siblings (same run number) take all of it; the other runoff runs of the
// crop and season take the method, the number and the applications but keep their own dates and
// interval. Only the runs of the same project, crop and season are read.
void TdmKelvoADO::tblRunsAfterPost(TRecordSet& rs) {
    const QString runId = rs.fieldByName(u"RunID"_s).asString();
    const int runNumber = RunNumberOf(runId);
    const bool runoff = IsRunoffCode(rs.fieldByName(u"LocationCode"_s).asString());
    static const QStringList whole = {u"MinIntervalApps"_s, u"FirstDayYrApp"_s, u"LastDayYrApp"_s,
                                      u"FirstDayYrAppJulian"_s, u"LastDayYrAppJulian"_s};
    auto runs = RelatedRuns(dbKelvoADO, rs.fieldByName(u"ProjectID"_s).value(),
                            rs.fieldByName(u"CropCode"_s).asString(), rs.fieldByName(u"CropNr"_s).asString());
    for (runs->first(); !runs->eof(); runs->next()) {
        const QString otherId = runs->fieldByName(u"RunID"_s).asString();
        if (otherId == runId) continue;
        const bool sibling = RunNumberOf(otherId) == runNumber;
        if (!sibling && !(runoff && IsRunoffCode(runs->fieldByName(u"LocationCode"_s).asString()))) continue;
        runs->edit();
        runs->fieldByName(u"AppMethod"_s).setValue(rs.fieldByName(u"AppMethod"_s).value());
        runs->fieldByName(u"NumberOfApps"_s).setValue(rs.fieldByName(u"NumberOfApps"_s).value());
        if (sibling)
            for (const QString& name : whole)
                runs->fieldByName(name).setValue(rs.fieldByName(name).value());
        CopyApplicationsTo(otherId);
        runs->post();
    }
    runs->close();
    tblRuns.refresh();
}

void TdmKelvoADO::tblRunsNumberOfAppsChange(TField& field) {
    TRecordSet& rs = field.dataSet();
    if (field.isNull() || field.asInteger() < 1) {
        rs.cancel();
        throw EKelvoError(u"Number of Application must be > 0"_s);
    }
    if (field.asInteger() > 8) {
        rs.cancel();
        throw EKelvoError(u"Maximum umber of Application is 8"_s);
    }
    try {
        CheckApplicationWindow(rs, false);
    } catch (const EKelvoError& e) {
        rs.cancel();
        ShowError(e.Message());
        Abort();
    }
    AdjustApplicationCount(rs.fieldByName(u"RunID"_s).asString(), field.asInteger());
}

void TdmKelvoADO::AdjustApplicationCount(const QString& runId, int numberOfApps) {
    TTable& apps = tblApplications;
    int count = apps.recordCount();
    if (count > numberOfApps) {
        apps.last();
        for (; count > numberOfApps; --count)
            apps.deleteRecord();
    }
    for (int nr = count + 1; nr <= numberOfApps; ++nr) {
        // Each new application copies the one current at that moment.
        const bool any = !apps.isEmpty();
        const QVariant rate = any ? apps.fieldByName(u"Rate"_s).value() : QVariant(0.0);
        const QVariant cam = any ? apps.fieldByName(u"CAM"_s).value() : QVariant(QString());
        const QVariant depi = any ? apps.fieldByName(u"Depi"_s).value() : QVariant(0.0);
        const QVariant perc = any ? apps.fieldByName(u"Perc"_s).value() : QVariant(0.0);
        apps.append();
        if (apps.state() != TRecordSet::TState::Insert) return;
        apps.fieldByName(u"ApplicationNr"_s).setAsInteger(nr);
        apps.fieldByName(u"RunID"_s).setAsString(runId);
        apps.fieldByName(u"Rate"_s).setValue(rate);
        apps.fieldByName(u"CAM"_s).setValue(cam);
        apps.fieldByName(u"Depi"_s).setValue(depi);
        apps.fieldByName(u"Perc"_s).setValue(perc);
        apps.post();
    }
}

// A new application row is refused once the run has as many applications as it should.
void TdmKelvoADO::tblApplicationsAfterInsert(TRecordSet& rs) {
    if (!tblRuns.active() || tblRuns.isEmpty()) return;
    if (rs.recordCount() >= tblRuns.fieldByName(u"NumberOfApps"_s).asInteger()) rs.cancel();
}

// Replaces the applications of a run by copies of the current run's applications. The copies are
// appended through a view of that run's applications only, not of the whole table.
void TdmKelvoADO::CopyApplicationsTo(const QString& runId) {
    qryApplicationsDelete.setParam(0, runId);
    qryApplicationsDelete.execSql();
    TQuery target(&dbKelvoADO, u"qryApplicationCopies"_s,
                  {u"select * from Applications"_s, u"where RunID = :pRunID"_s});
    target.setParam(0, runId);
    target.open();
    TTable& apps = tblApplications;
    for (apps.first(); !apps.eof(); apps.next())
        target.appendRecord({apps.fieldByName(u"ApplicationNr"_s).value(), runId,
                             apps.fieldByName(u"Rate"_s).value(), apps.fieldByName(u"CAM"_s).value(),
                             apps.fieldByName(u"Depi"_s).value(), apps.fieldByName(u"Perc"_s).value()});
    apps.close();
    apps.open();
    target.close();
}

void TdmKelvoADO::tblRunsFirstDayYrAppChange(TField& field) {
    try {
        CheckApplicationWindow(field.dataSet(), true);
    } catch (const EKelvoError& e) {
        // The new day stays in the row; posting is refused until the window is large enough.
        ShowError(e.Message());
    }
}

void TdmKelvoADO::DayNumberValidate(TField& field, const QString& textField) {
    if (m_validating) return;
    TFlagGuard guard(m_validating);
    TField& text = field.dataSet().fieldByName(textField);
    if (field.isNull())
        text.clear();
    else
        text.setAsString(DayNumberToText(field.asInteger()));
}

// A typed day text: checks the window as it stands, reads the text and sets the day number, which
// runs the number's range check and its window check; the text is stored as typed.
void TdmKelvoADO::DayTextValidate(TField& field, const QString& numberField) {
    if (m_validating) return;
    TFlagGuard guard(m_validating);
    TRecordSet& rs = field.dataSet();
    CheckApplicationWindow(rs, true); // the row as it stands: the day numbers before this text
    rs.fieldByName(numberField).setAsInteger(TextToDayNumber(field.asString()));
}

void TdmKelvoADO::tblRunsFirstDayYrAppValidate(TField& field) {
    DayNumberValidate(field, u"FirstDayYrAppJulian"_s);
}

void TdmKelvoADO::tblRunsLastDayYrAppValidate(TField& field) {
    DayNumberValidate(field, u"LastDayYrAppJulian"_s);
}

void TdmKelvoADO::tblRunsFirstDayYrAppJulianValidate(TField& field) {
    DayTextValidate(field, u"FirstDayYrApp"_s);
}

void TdmKelvoADO::tblRunsLastDayYrAppJulianValidate(TField& field) {
    DayTextValidate(field, u"LastDayYrApp"_s);
}

void TdmKelvoADO::tblRunsMinIntervalAppsValidate(TField& field) {
    CheckApplicationWindow(field.dataSet(), false);
}

// A metabolite run gets no drift, so it takes no mitigation; a buffer is checked against the FOCUS
// distance of the run's method as it stands, so a later change of method cannot bring the water nearer.
void TdmKelvoADO::CheckMitigation(const QString& runId, const QString& cropCode, const QString& waterBodyCode,
                                  const QString& appMethod, const TMitigation& mitigation) {
    if (mitigation.IsStep3()) return;
    if (!runId.toLower().endsWith(u"pa"_s))
        throw EKelvoError(u"A metabolite run gets no spray drift: it takes no buffer or drift reduction"_s);
    CheckDriftReduction(mitigation.Reduction);
    if (!mitigation.Buffer) return;
    const std::unique_ptr<TCrop> crop = LoadCrop(cropCode);
    const std::unique_ptr<TWaterBodyType> water = LoadWaterBodyType(waterBodyCode);
    CheckBufferDistance(*mitigation.Buffer, crop && water ? FocusDistance(*this, appMethod, *crop, *water) : 0.0);
}

void TdmKelvoADO::CheckRunMitigation(TRecordSet& rs) {
    TMitigation mitigation;
    const TField& buffer = rs.fieldByName(u"BufferDistance"_s);
    if (!buffer.isNull()) mitigation.Buffer = buffer.asFloat();
    mitigation.Reduction = rs.fieldByName(u"DriftReduction"_s).asInteger();
    CheckMitigation(rs.fieldByName(u"RunID"_s).asString(), rs.fieldByName(u"CropCode"_s).asString(),
                    rs.fieldByName(u"WaterbodyCode"_s).asString(), rs.fieldByName(u"AppMethod"_s).asString(),
                    mitigation);
}

QStringList TdmKelvoADO::MitigateRuns(int projectId, const TMitigation& mitigation, const QString& waterBodyCode,
                                      const QStringList& runIds) {
    const TSqlResult runs = dbKelvoADO.Select(
        u"SELECT RunID, CropCode, WaterbodyCode, AppMethod FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s,
        {projectId});
    QStringList chosen;
    QStringList found;
    for (const TSqlRow& run : runs.rows) {
        const QString runId = run[0].toString();
        const bool named = runIds.contains(runId);
        if (named) found << runId;
        if ((!runIds.isEmpty() && !named) || (!waterBodyCode.isEmpty() && run[2].toString() != waterBodyCode))
            continue;
        const bool drift = runId.toLower().endsWith(u"pa"_s);
        if (!drift && !named) continue;
        try {
            CheckMitigation(runId, run[1].toString(), run[2].toString(), run[3].toString(), mitigation);
        } catch (const EKelvoError& e) {
            throw EKelvoError(u"Run %1: %2"_s.arg(runId, e.Message()));
        }
        if (drift) chosen << runId;
    }
    for (const QString& runId : runIds)
        if (!found.contains(runId)) throw EKelvoError(u"Run %1 not found in the project"_s.arg(runId));
    TTransaction transaction(dbKelvoADO);
    for (const QString& runId : std::as_const(chosen))
        dbKelvoADO.Execute(u"UPDATE Runs SET BufferDistance = ?, DriftReduction = ? WHERE RunID = ?"_s,
                           {mitigation.Buffer ? QVariant(*mitigation.Buffer) : QVariant(),
                            mitigation.Reduction != 0 ? QVariant(mitigation.Reduction) : QVariant(), runId});
    transaction.Commit();
    if (tblRuns.active()) tblRuns.refresh();
    return chosen;
}

// Step4: the run's mitigation in short; empty at Step 3.
void TdmKelvoADO::tblRunsCalcFields(TRecordSet& rs) {
    TMitigation mitigation;
    const TField& buffer = rs.fieldByName(u"BufferDistance"_s);
    if (!buffer.isNull()) mitigation.Buffer = buffer.asFloat();
    mitigation.Reduction = rs.fieldByName(u"DriftReduction"_s).asInteger();
    rs.fieldByName(u"Step4"_s).setValue(MitigationSummary(mitigation));
}

void TdmKelvoADO::tblRunsBufferDistanceValidate(TField& field) {
    CheckRunMitigation(field.dataSet());
}

void TdmKelvoADO::tblRunsDriftReductionValidate(TField& field) {
    CheckRunMitigation(field.dataSet());
}

// Runs are created only with their project.
void TdmKelvoADO::tblRunsAfterInsert(TRecordSet& rs) {
    rs.cancel();
}

void TdmKelvoADO::tblRunsBeforeDelete(TRecordSet& rs) {
    if (!AskDestructive(u"Are you sure?"_s)) Abort();
    m_deletedScheme = rs.fieldByName(u"ApplicationSchemeID"_s).asInteger();
}

void TdmKelvoADO::tblRunsAfterDelete(TRecordSet&) {
    if (m_deletedScheme == 0) return;
    DeleteApplicationScheme(m_deletedScheme);
    m_deletedScheme = 0;
}

void TdmKelvoADO::DeleteApplicationScheme(int id) {
    qryDelete.setParam(0, id);
    qryDelete.execSql();
}

QStringList TdmKelvoADO::CopyPatternToCropRuns(QStringList* unmitigated) {
    QStringList skipped;
    const QString runId = tblRuns.fieldByName(u"RunID"_s).asString();
    const int numberOfApps = tblRuns.fieldByName(u"NumberOfApps"_s).asInteger();
    const int interval = tblRuns.fieldByName(u"MinIntervalApps"_s).asInteger();
    const QVariant method = tblRuns.fieldByName(u"AppMethod"_s).value();
    // The mitigation goes from a drift run to the other drift runs, where it fits their FOCUS distance.
    const bool fromDriftRun = runId.toLower().endsWith(u"pa"_s);
    const QVariant buffer = tblRuns.fieldByName(u"BufferDistance"_s).value();
    const QVariant reduction = tblRuns.fieldByName(u"DriftReduction"_s).value();
    auto runs = RelatedRuns(dbKelvoADO, tblRuns.fieldByName(u"ProjectID"_s).value(),
                            tblRuns.fieldByName(u"CropCode"_s).asString(),
                            tblRuns.fieldByName(u"CropNr"_s).asString());
    for (runs->first(); !runs->eof(); runs->next()) {
        const QString otherId = runs->fieldByName(u"RunID"_s).asString();
        if (otherId == runId) continue;
        const int firstDay = runs->fieldByName(u"FirstDayYrApp"_s).asInteger();
        const int lastDay = runs->fieldByName(u"LastDayYrApp"_s).asInteger();
        if (ApplicationWindow(firstDay, lastDay) < RequiredWindow(numberOfApps, interval)) {
            skipped << otherId;
            continue;
        }
        runs->edit();
        runs->fieldByName(u"AppMethod"_s).setValue(method);
        if (fromDriftRun && otherId.toLower().endsWith(u"pa"_s)) {
            TField& otherBuffer = runs->fieldByName(u"BufferDistance"_s);
            TField& otherReduction = runs->fieldByName(u"DriftReduction"_s);
            const QVariant ownBuffer = otherBuffer.value();
            const QVariant ownReduction = otherReduction.value();
            otherBuffer.setValue(buffer);
            otherReduction.setValue(reduction);
            try {
                CheckRunMitigation(*runs);
            } catch (const EKelvoError&) {
                // The pattern is copied; the run keeps its own mitigation.
                otherBuffer.setValue(ownBuffer);
                otherReduction.setValue(ownReduction);
                if (unmitigated) *unmitigated << otherId;
            }
        }
        runs->fieldByName(u"NumberOfApps"_s).setAsInteger(numberOfApps);
        runs->fieldByName(u"MinIntervalApps"_s).setAsInteger(interval);
        CopyApplicationsTo(otherId);
        runs->post();
    }
    runs->close();
    tblRuns.refresh();
    return skipped;
}

QByteArray TdmKelvoADO::RunsEditorState() {
    if (!qryProjects.active() || qryProjects.isEmpty()) return {};
    const QVariant project = qryProjects.fieldByName(u"ProjectID"_s).value();
    const std::pair<QString, QVariant> parts[] = {
        {u"SELECT * FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s, project},
        {u"SELECT * FROM Applications WHERE RunID IN (SELECT RunID FROM Runs WHERE ProjectID = ?) "
         u"ORDER BY RunID, ApplicationNr"_s,
         project},
        {u"SELECT * FROM SubstancexCropxLocation WHERE SubstanceCode = ? ORDER BY 1, 2, 3, 4"_s,
         qryProjects.fieldByName(u"SubstanceCode"_s).value()},
    };
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (const auto& [sql, key] : parts) {
        for (const TSqlRow& row : dbKelvoADO.Select(sql, {key}).rows) {
            for (const QVariant& value : row)
                digest.addData((value.isNull() ? u"\\N"_s : value.toString()).toUtf8() + '\x1f');
            digest.addData("\x1e");
        }
        digest.addData("\x1d");
    }
    return digest.result();
}
