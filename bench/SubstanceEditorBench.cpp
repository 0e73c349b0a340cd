// The substance editor on a library of 500 and of 2,000 substances, against raw QSqlQuery reads of the same
// three rows per substance in the same run. Goal: ratio <= 2, and a time per substance that does not grow
// with the library.
// - open and move: the editor opened and shown on its first page, then its grid moved from the first
//   substance to the last, one row at a time; each move runs the move rule and refreshes every bound field
//   of the page in sight (the hidden pages' fields catch up when shown).
//   baseline: the Substances, Substance_Macro and Substance_PRZM rows of every substance selected by
//   code and each value read.

#include "BenchInstallation.h"
#include "BenchTiming.h"
#include "store/DataModuleKelvoADO.h"
#include "ui/substances/Substances.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>

using namespace Qt::Literals::StringLiterals;

namespace {

// A library of that many unlocked substances made from the example metabolite, each with its own
// numbers, and a raw connection.
struct TLibrary {
    TBenchInstallation installation;
    QSqlDatabase raw;
    QStringList codes;
    QString connectionName;

    explicit TLibrary(int size) : connectionName(u"raw%1"_s.arg(size)) {
        TConnection& db = installation.dm->dbKelvoADO;
        const int existing = db.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt();
        db.BeginTrans();
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
            db.Execute(
                u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = 'EXAMPLE_M1'"_s.arg(
                    table));
            for (int i = existing; i < size; ++i) {
                db.Execute(u"UPDATE Clone SET SubstanceCode = ?"_s, {u"LIB%1"_s.arg(i, 5, 10, QChar(u'0'))});
                db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
            }
            db.Execute(u"DROP TABLE Clone"_s);
            // Every substance its own numbers, so no display text is the previous substance's.
            for (const TConnection::TColumn& column : db.TableColumns(table))
                if (column.type.contains(u"REAL"_s))
                    db.Execute(u"UPDATE %1 SET \"%2\" = \"%2\" * (1 + (rowid % 997) / 1000.0) "
                               u"WHERE SubstanceCode LIKE 'LIB%'"_s.arg(table, column.name));
        }
        db.Execute(u"UPDATE Substances SET Locked = 0 WHERE SubstanceCode LIKE 'LIB%'"_s);
        db.CommitTrans();
        for (const TSqlRow& row : db.Select(u"SELECT SubstanceCode FROM Substances"_s).rows)
            codes << row[0].toString();
        raw = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
        raw.setDatabaseName(db.FileName());
        raw.open();
    }
    ~TLibrary() {
        raw.close();
        raw = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }

    static TLibrary& Get(int size) {
        static std::map<int, std::unique_ptr<TLibrary>> libraries;
        auto& library = libraries[size];
        if (!library) library = std::make_unique<TLibrary>(size);
        return *library;
    }

    qint64 Baseline() {
        qint64 values = 0;
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
            QSqlQuery query(raw);
            query.prepare(u"SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table));
            for (const QString& code : codes) {
                query.addBindValue(code);
                query.exec();
                const int columns = query.record().count();
                while (query.next())
                    for (int column = 0; column < columns; ++column)
                        values += query.value(column).toString().size();
            }
        }
        return values;
    }
};

void BM_EditorOpenAndMoveFirstToLast(benchmark::State& state) {
    TLibrary& library = TLibrary::Get(static_cast<int>(state.range(0)));
    TdmKelvoADO& dm = *library.installation.dm;
    double seconds = 0;
    double baselineSeconds = 0;
    int substances = 0;
    for (auto _ : state) {
        const auto start = TClock::now();
        {
            TfrmSubstances editor(dm);
            editor.show(); // on its first page, as the user sees it
            auto* grid = editor.findChild<QTableView*>(u"grdSubstances"_s);
            QAbstractItemModel* model = grid->model();
            substances = model->rowCount();
            for (int row = 0; row < substances; ++row)
                grid->setCurrentIndex(model->index(row, 0));
            if (dm.tblSubstances.currentRow() != substances - 1)
                throw std::runtime_error("the record sets did not follow the grid");
        }
        const double s = Seconds(start);
        state.SetIterationTime(s);
        seconds += s;
        const auto baselineStart = TClock::now();
        benchmark::DoNotOptimize(library.Baseline());
        baselineSeconds += Seconds(baselineStart);
    }
    state.counters["substances"] = substances;
    state.counters["us_per_substance"] = seconds / state.iterations() / substances * 1e6;
    state.counters["ratio"] = seconds / baselineSeconds;
}

BENCHMARK(BM_EditorOpenAndMoveFirstToLast)
    ->Arg(500)
    ->Arg(2000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
