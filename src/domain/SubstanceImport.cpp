#include "domain/SubstanceImport.h"

#include "domain/SubstanceEditing.h"
#include "foundation/Errors.h"
#include "store/ControlsDisabled.h"
#include "store/DataModuleKelvoADO.h"
#include "store/Locate.h"
#include "store/TextRules.h"
#include "store/Transaction.h"

#include <QBitArray>
#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString CodeField = u"SubstanceCode"_s;
const QString LockedField = u"Locked"_s;
constexpr int MaxCodeLength = 20;
// Two values that follow one another by a factor agree when they differ by no more than rounding.
constexpr double Agreement = 1e-9;
constexpr double FractionTolerance = 0.0005;

enum class TAction { Add, Replace, Skip, Reuse };

// One substance of the file with its typed values and what becomes of it.
struct TPlanned {
    const TSubstanceRecord* record = nullptr;
    QString fileCode;
    QString code;
    TAction action = TAction::Add;
    // Column index into the columns and the typed value (null for an empty cell).
    QVector<std::pair<int, QVariant>> values;
    // Where each column's value is in values; -1 for a column the file leaves out.
    QVector<int> at;
};

QString Shown(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

// A number as spreadsheets and the export write it ("-1.5e-05"), read without a locale; false for any
// other text, which the C locale then reads as it may.
bool ReadPlainNumber(QStringView text, double& number) {
    constexpr qsizetype Longest = 40;
    if (text.isEmpty() || text.size() > Longest) return false;
    char latin[Longest];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7f) return false;
        latin[i] = static_cast<char>(c);
    }
    const char* end = latin + text.size();
    const auto [stop, error] = std::from_chars(latin, end, number);
    return error == std::errc() && stop == end;
}

bool Agree(double a, double b) {
    return std::fabs(a - b) <= Agreement * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// The three substance record sets write their new rows without reading them back, and the views
// learn of them once, at the end.
class TBulkInsert {
public:
    explicit TBulkInsert(TdmKelvoADO& dm)
        : m_tables{&dm.tblSubstances, &dm.tblSubstancesMacro, &dm.tblSubstancesPRZM}, m_quiet(dm.tblSubstances),
          m_quietMacro(dm.tblSubstancesMacro), m_quietPrzm(dm.tblSubstancesPRZM) {
        for (TTable* table : m_tables)
            table->setBulkInsert(true);
    }
    ~TBulkInsert() {
        for (TTable* table : m_tables)
            table->setBulkInsert(false);
    }
    TBulkInsert(const TBulkInsert&) = delete;
    TBulkInsert& operator=(const TBulkInsert&) = delete;

private:
    TTable* const m_tables[3];
    const TControlsDisabled m_quiet;
    const TControlsDisabled m_quietMacro;
    const TControlsDisabled m_quietPrzm;
};

class TImport {
public:
    TImport(TdmKelvoADO& dm, const TSubstanceFile& file, const TSubstanceImportOptions& options)
        : m_dm(dm), m_file(file), m_options(options), m_columns(SubstanceColumns(dm)) {}

    TSubstanceImportResult Run();

private:
    [[noreturn]] void Fail(const TSubstanceRecord& record, const QString& field, const QVariant& value,
                           const QString& reason) const {
        throw EKelvoError(u"%1, %2, value \"%3\": %4"_s.arg(m_file.fileName, m_file.place(record, field),
                                                              Shown(value), reason));
    }
    [[noreturn]] void FailRecord(const TSubstanceRecord& record, const QString& reason) const {
        throw EKelvoError(u"%1, %2: %3"_s.arg(m_file.fileName, record.where, reason));
    }

    int ColumnIndex(const QString& field) const;
    int SpelledColumn(const QString& field) const;
    TTable& TableOf(int column) const;
    TField& FieldOf(int column) const;
    QVariant Typed(const TSubstanceRecord& record, const TSubstanceValue& value, int column) const;
    void Plan();
    void LinkMetabolites();
    bool IsIdentical(const TPlanned& planned) const;
    QString FreeCode(const QString& code);
    QSet<const TField*> GivenByAll() const;
    void Write(const TPlanned& planned, const TdmKelvoADO::TSubstanceDefaults& defaults);
    void ApplyCoupledRules(const TPlanned& planned);
    void CheckScheme(const TPlanned& planned);
    const QVariant* Given(const TPlanned& planned, const QString& field) const;
    bool Present(const QString& field) const {
        const int column = ColumnIndex(field);
        return column >= 0 && m_present.testBit(column);
    }

    TdmKelvoADO& m_dm;
    const TSubstanceFile& m_file;
    const TSubstanceImportOptions m_options;
    const QVector<TSubstanceColumn> m_columns;
    // The columns by their lower-case names, by the names as the file spells them, and by the address of
    // names written in the code.
    mutable QHash<QString, int> m_columnIndex;
    mutable QHash<QString, int> m_spelled;
    mutable QHash<const QChar*, int> m_written;
    // The record sets' field of each column, once asked for.
    mutable QVector<TField*> m_fields;
    int m_codeColumn = -1;
    int m_lockedColumn = -1;
    QBitArray m_present; // the columns the file has
    // The library's codes, by their lower-case form: the code as stored and whether it is locked.
    QHash<QString, std::pair<QString, bool>> m_library;
    QVector<TPlanned> m_planned;
    // The substances written with a metabolite scheme to check.
    QVector<const TPlanned*> m_schemes;
    // The lower-case codes the file's substances have or come in under, once a free code is sought.
    QSet<QString> m_taken;
    TSubstanceImportResult m_result;
};

int TImport::ColumnIndex(const QString& field) const {
    // A name written in the code is static text, found by its address after the first time.
    const bool written = !field.data_ptr().isMutable();
    if (written)
        if (const auto known = m_written.constFind(field.constData()); known != m_written.cend()) return *known;
    const int column = SpelledColumn(field);
    if (written) m_written.insert(field.constData(), column);
    return column;
}

int TImport::SpelledColumn(const QString& field) const {
    if (const auto spelled = m_spelled.constFind(field); spelled != m_spelled.cend()) return *spelled;
    if (m_columnIndex.isEmpty())
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            m_columnIndex.insert(m_columns[i].field.toLower(), static_cast<int>(i));
    const int column = m_columnIndex.value(field.toLower(), -1);
    m_spelled.insert(field, column);
    return column;
}

TField& TImport::FieldOf(int column) const {
    if (m_fields.isEmpty()) m_fields.resize(m_columns.size(), nullptr);
    TField*& field = m_fields[column];
    if (!field) field = &TableOf(column).fieldByName(m_columns[column].field);
    return *field;
}

TTable& TImport::TableOf(int column) const {
    const QString& table = m_columns[column].table;
    if (table == m_dm.tblSubstancesMacro.tableName()) return m_dm.tblSubstancesMacro;
    if (table == m_dm.tblSubstancesPRZM.tableName()) return m_dm.tblSubstancesPRZM;
    return m_dm.tblSubstances;
}

// A number written as text is read in the C locale, with the file's decimal separator; the column
// checks the rest when the value is set.
QVariant TImport::Typed(const TSubstanceRecord& record, const TSubstanceValue& value, int column) const {
    const QVariant& raw = value.value;
    if (raw.isNull()) return {};
    const bool isText = raw.typeId() == QMetaType::QString;
    const QStringView text = isText ? QStringView(*static_cast<const QString*>(raw.constData())).trimmed() : QStringView();
    if (isText && text.isEmpty()) return {};
    const TField& field = FieldOf(column);
    if (field.dataType() == TFieldType::String) {
        if (!isText) Fail(record, value.field, raw, u"not a text"_s);
        return text.size() == static_cast<const QString*>(raw.constData())->size() ? raw : QVariant(text.toString());
    }
    if (raw.typeId() == QMetaType::Bool) {
        if (field.dataType() != TFieldType::Boolean) Fail(record, value.field, raw, u"not a number"_s);
        return raw;
    }
    double number = 0;
    if (isText) {
        if (field.dataType() == TFieldType::Boolean) {
            if (text.compare(u"true"_s, Qt::CaseInsensitive) == 0 || text.compare(u"yes"_s, Qt::CaseInsensitive) == 0)
                return true;
            if (text.compare(u"false"_s, Qt::CaseInsensitive) == 0 || text.compare(u"no"_s, Qt::CaseInsensitive) == 0)
                return false;
        }
        QString pointed;
        QStringView plain = text;
        if (record.decimal != u'.') {
            if (text.contains(u'.'))
                Fail(record, value.field, raw,
                     u"not a number (read as %1: a decimal comma is expected)"_s.arg(m_file.detected));
            pointed = text.toString().replace(record.decimal, u'.');
            plain = pointed;
        }
        bool ok = ReadPlainNumber(plain, number);
        if (!ok) number = QLocale::c().toDouble(plain, &ok);
        if (!ok || !std::isfinite(number))
            Fail(record, value.field, raw, u"not a number (read as %1)"_s.arg(m_file.detected));
    } else {
        bool ok = false;
        number = raw.toDouble(&ok);
        if (!ok || !std::isfinite(number)) Fail(record, value.field, raw, u"not a number"_s);
    }
    switch (field.dataType()) {
    case TFieldType::Boolean:
        if (number != 0 && number != 1) Fail(record, value.field, raw, u"not 0 or 1 (false or true)"_s);
        return number != 0;
    case TFieldType::Integer:
    case TFieldType::SmallInt:
        if (number != std::trunc(number)) Fail(record, value.field, raw, u"not a whole number"_s);
        return number;
    default:
        return number;
    }
}

const QVariant* TImport::Given(const TPlanned& planned, const QString& field) const {
    const int column = ColumnIndex(field);
    const int i = column < 0 ? -1 : planned.at[column];
    if (i < 0) return nullptr;
    const QVariant& value = planned.values[i].second;
    return value.isNull() ? nullptr : &value;
}

QString TImport::FreeCode(const QString& code) {
    if (m_taken.isEmpty())
        for (const TPlanned& p : m_planned)
            m_taken << p.code.toLower() << p.fileCode.toLower();
    for (int n = 2;; ++n) {
        const QString candidate = (u"c%1_"_s.arg(n) + code).left(MaxCodeLength);
        const QString lower = candidate.toLower();
        if (m_library.contains(lower) || m_taken.contains(lower)) continue;
        m_taken << lower;
        return candidate;
    }
}

// The stored rows are read once per table.
bool TImport::IsIdentical(const TPlanned& planned) const {
    QHash<QString, TSqlResult> stored;
    for (const auto& [column, value] : planned.values) {
        const TSubstanceColumn& c = m_columns[column];
        // The lock is the installation's, not the substance's.
        if (c.field == CodeField || c.field == LockedField) continue;
        auto rows = stored.constFind(c.table);
        if (rows == stored.cend())
            rows = stored.insert(c.table, m_dm.dbKelvoADO.Select(
                                              u"SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(c.table), {planned.code}));
        const auto named = std::find_if(rows->columns.cbegin(), rows->columns.cend(), [&](const QString& name) {
            return name.compare(c.field, Qt::CaseInsensitive) == 0;
        });
        const qsizetype at = named == rows->columns.cend() ? -1 : named - rows->columns.cbegin();
        const QVariant have = rows->rows.isEmpty() || at < 0 ? QVariant() : rows->rows[0][at];
        if (have.isNull() != value.isNull()) return false;
        if (value.isNull()) continue;
        const TFieldType type = FieldOf(column).dataType();
        if (type == TFieldType::String ? have.toString() != value.toString()
                                       : have.toDouble() != value.toDouble())
            return false;
    }
    return true;
}

void TImport::Plan() {
    m_present.resize(m_columns.size());
    for (const QString& field : m_file.fields) {
        const int column = ColumnIndex(field);
        if (column < 0) throw EKelvoError(u"%1: unknown field %2"_s.arg(m_file.fileName, field));
        m_present.setBit(column);
    }
    if (!Present(CodeField)) throw EKelvoError(u"%1: no field %2"_s.arg(m_file.fileName, CodeField));
    m_codeColumn = ColumnIndex(CodeField);
    m_lockedColumn = ColumnIndex(LockedField);
    for (const TSqlRow& row : m_dm.dbKelvoADO.Select(u"SELECT SubstanceCode, Locked FROM Substances"_s).rows)
        m_library.insert(row[0].toString().toLower(), {row[0].toString(), row[1].toBool()});

    QSet<QString> inFile;
    // Each position's field name as last seen, by its text's address, and its column: the records of a
    // CSV file share their names.
    QVector<std::pair<const QChar*, int>> byPosition;
    for (const TSubstanceRecord& record : m_file.records) {
        TPlanned planned;
        planned.record = &record;
        planned.values.reserve(record.values.size());
        if (byPosition.size() < record.values.size()) byPosition.resize(record.values.size());
        for (qsizetype position = 0; position < record.values.size(); ++position) {
            const TSubstanceValue& value = record.values[position];
            auto& [name, column] = byPosition[position];
            if (name != value.field.constData()) {
                name = value.field.constData();
                column = ColumnIndex(value.field);
            }
            planned.values.append({column, Typed(record, value, column)});
            if (column != m_codeColumn) continue;
            planned.fileCode = planned.values.last().second.toString();
            const QVariant& code = value.value;
            if (planned.fileCode.isEmpty()) Fail(record, value.field, code, u"Code is required."_s);
            if (planned.fileCode.size() > MaxCodeLength)
                Fail(record, value.field, code, u"a code has at most %1 characters"_s.arg(MaxCodeLength));
            try {
                CheckSubstanceCodeCharacters(planned.fileCode);
            } catch (const EKelvoError& e) {
                Fail(record, value.field, code, e.Message());
            }
            if (inFile.contains(planned.fileCode.toLower()))
                Fail(record, value.field, code, u"the file holds this code twice"_s);
            inFile.insert(planned.fileCode.toLower());
        }
        planned.code = planned.fileCode;
        planned.at.fill(-1, m_columns.size());
        for (qsizetype i = planned.values.size() - 1; i >= 0; --i)
            planned.at[planned.values[i].first] = static_cast<int>(i);
        m_planned << std::move(planned);
    }

    for (TPlanned& planned : m_planned) {
        const auto existing = m_library.constFind(planned.fileCode.toLower());
        if (existing == m_library.cend()) continue;
        const auto& [storedCode, locked] = *existing;
        planned.code = storedCode;
        const QVariant code(planned.fileCode);
        if (m_options.reuseIdentical && IsIdentical(planned)) {
            planned.action = TAction::Reuse;
            continue;
        }
        switch (m_options.existing) {
        case TExistingSubstance::Refuse:
            Fail(*planned.record, CodeField, code,
                 m_options.reuseIdentical
                     ? u"the library has a different substance %1: rename it"_s.arg(storedCode)
                     : u"the library has a substance %1 already: replace, skip or rename it"_s.arg(storedCode));
        case TExistingSubstance::Replace:
            if (locked)
                Fail(*planned.record, CodeField, code, u"Record is locked because it is a FOCUS predefined record"_s);
            planned.action = TAction::Replace;
            break;
        case TExistingSubstance::Skip:
            planned.action = TAction::Skip;
            break;
        case TExistingSubstance::Rename:
            planned.code = FreeCode(planned.fileCode);
            planned.action = TAction::Add;
            break;
        }
    }
}

// A parent's metabolites name substances of the file (under the code they come in with) or of the library.
void TImport::LinkMetabolites() {
    const int slotFields[] = {ColumnIndex(u"MetSubCode1"_s), ColumnIndex(u"MetSubCode2"_s)};
    QHash<QString, const TPlanned*> byFileCode;
    for (const TPlanned& planned : m_planned)
        byFileCode.insert(planned.fileCode.toLower(), &planned);
    for (TPlanned& planned : m_planned) {
        if (planned.action == TAction::Skip || planned.action == TAction::Reuse) continue;
        for (const int column : slotFields) {
            const int i = column < 0 ? -1 : planned.at[column];
            if (i < 0) continue;
            QVariant& value = planned.values[i].second;
            if (value.isNull()) continue;
            const QString metabolite = value.toString();
            if (const auto inFile = byFileCode.constFind(metabolite.toLower()); inFile != byFileCode.cend()) {
                value = (*inFile)->code;
            } else if (const auto stored = m_library.constFind(metabolite.toLower()); stored != m_library.cend()) {
                value = stored->first;
            } else {
                Fail(*planned.record, m_columns[column].field, metabolite,
                     u"the metabolite %1 is neither in the file nor in the library"_s.arg(metabolite));
            }
        }
    }
}

// The fields every substance of the file gives a value or an empty cell for: their defaults do not matter.
QSet<const TField*> TImport::GivenByAll() const {
    QSet<const TField*> given;
    for (int column = 0; column < m_columns.size(); ++column)
        if (std::all_of(m_planned.cbegin(), m_planned.cend(), [column](const TPlanned& p) { return p.at[column] >= 0; }))
            given.insert(&FieldOf(column));
    return given;
}

void TImport::Write(const TPlanned& planned, const TdmKelvoADO::TSubstanceDefaults& defaults) {
    TTable* const tables[] = {&m_dm.tblSubstances, &m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM};
    const TSubstanceRecord& record = *planned.record;
    if (planned.action == TAction::Add) {
        const QVariant* name = Given(planned, u"Name"_s);
        m_dm.StartNewSubstance(planned.code, name ? name->toString() : planned.code, defaults);
    } else if (!LocateByTextKeys(m_dm.tblSubstances, {planned.code}, 1)) {
        FailRecord(record, u"Substance: "_s + planned.code + u" not found"_s);
    }
    for (TTable* table : tables)
        table->ensureEditing();
    const auto set = [&](int column) {
        const int i = planned.at[column];
        if (i < 0) return;
        const QVariant& value = planned.values[i].second;
        try {
            TField& field = FieldOf(column);
            if (value.isNull())
                field.clear();
            else
                field.setValue(value);
        } catch (const EKelvoError& e) {
            Fail(record, m_columns[column].field, value, e.Message());
        }
    };
    // Every value through its column, in the tables' order; Locked last, as the rules leave a locked
    // substance alone.
    for (int column = 0; column < planned.at.size(); ++column)
        if (column != m_codeColumn && column != m_lockedColumn) set(column);
    ApplyCoupledRules(planned);
    // Only the installation's FOCUS substances are locked: a substance comes in unlocked, as a locked
    // copy could be neither changed nor removed.
    if (const QVariant* locked = Given(planned, LockedField); locked && locked->toBool())
        FieldOf(m_lockedColumn).setValue(false);
    else
        set(m_lockedColumn);
    if (const QString missing = m_dm.MissingRequiredValue(); !missing.isEmpty()) FailRecord(record, missing);
    // A substance that is no parent and names no metabolite has no scheme to check.
    if (m_dm.tblSubstances.fieldByName(u"IsParent"_s).asBoolean() ||
        !m_dm.tblSubstances.fieldByName(u"MetSubCode1"_s).isNull() ||
        !m_dm.tblSubstances.fieldByName(u"MetSubCode2"_s).isNull())
        m_schemes << &planned;
    try {
        // The Substances row first: the other two refer to it.
        for (TTable* table : tables)
            if (table->state() != TRecordSet::TState::Browse) table->post();
    } catch (const EKelvoError& e) {
        FailRecord(record, e.Message());
    }
}

// The values the editor couples: where the file gives both they must agree, where it gives one the
// other follows as when it is typed.
void TImport::ApplyCoupledRules(const TPlanned& planned) {
    const TSubstanceRecord& record = *planned.record;
    const auto check = [&](const QString& from, const QString& to, double factor) {
        const QVariant* a = Given(planned, from);
        const QVariant* b = Given(planned, to);
        if (!a || !b) return false;
        if (!Agree(a->toDouble() * factor, b->toDouble()))
            Fail(record, to, *b,
                 u"%1 is %2 x %3 (%4)"_s.arg(to, from, QString::number(factor, 'g', QLocale::FloatingPointShortest),
                                           QString::number(a->toDouble() * factor, 'g', QLocale::FloatingPointShortest)));
        return true;
    };
    struct TPair {
        QString kom;
        QString koc;
        TSorptionColumn column;
    };
    const TPair pairs[] = {{u"KomSol"_s, u"KocSol"_s, TSorptionColumn::Soil},
                           {u"KomSus"_s, u"KocSus"_s, TSorptionColumn::SuspendedSolids},
                           {u"KomSed"_s, u"KocSed"_s, TSorptionColumn::Sediment},
                           {u"Kom"_s, u"Koc"_s, TSorptionColumn::General}};
    // A value follows only where the file leaves its column out: an empty cell is a value too.
    for (const TPair& pair : pairs) {
        if (check(pair.kom, pair.koc, KomKocFactor)) continue;
        if (Given(planned, pair.kom) && !Present(pair.koc))
            KomEntered(m_dm, pair.column);
        else if (Given(planned, pair.koc) && !Present(pair.kom))
            KocEntered(m_dm, pair.column);
    }
    const QStringList detailed = {u"KomSol"_s, u"KocSol"_s, u"KomSus"_s, u"KocSus"_s, u"KomSed"_s, u"KocSed"_s};
    if ((Given(planned, u"Kom"_s) || Given(planned, u"Koc"_s)) &&
        std::none_of(detailed.begin(), detailed.end(), [this](const QString& f) { return Present(f); }))
        FillDetailedFromGeneral(m_dm);
    if (!check(u"fext"_s, u"fextrc"_s, WashOffFactor)) {
        if (Given(planned, u"fext"_s) && !Present(u"fextrc"_s))
            WashOffMacroEntered(m_dm);
        else if (Given(planned, u"fextrc"_s) && !Present(u"fext"_s))
            WashOffPRZMEntered(m_dm);
    }
    if (const QVariant* q10 = Given(planned, u"q10fac"_s)) {
        const int expected = q10->toDouble() >= Q10Threshold ? 1 : 0;
        if (const QVariant* iqfac = Given(planned, u"iqfac"_s); iqfac && iqfac->toInt() != expected)
            Fail(record, u"iqfac"_s, *iqfac, u"iqfac is %1 with q10fac %2"_s.arg(expected).arg(Shown(*q10)));
        if (!Present(u"iqfac"_s)) Q10Entered(m_dm);
    }
    // The general Freundlich exponent and reference concentration go where the file says nothing.
    if (const QVariant* expFre = Given(planned, u"ExpFre"_s))
        for (const QString& target : {u"freund"_s, u"ExpFreSus"_s, u"ExpFreSed"_s})
            if (!Present(target)) TableOf(ColumnIndex(target)).fieldByName(target).setValue(*expFre);
    if (const QVariant* conLiq = Given(planned, u"ConLiqRef"_s))
        for (const QString& target : {u"ConLiqRefSol"_s, u"ConLiqRefSus"_s, u"ConLiqRefSed"_s})
            if (!Present(target)) m_dm.tblSubstances.fieldByName(target).setValue(*conLiq);
    if (const QVariant* biPhase = Given(planned, u"icheck1"_s); biPhase && !Present(u"dknum"_s))
        SetBiPhase(m_dm, biPhase->toInt() > 0);
}

// The scheme as the metabolite window confirms it, on the rows as written.
void TImport::CheckScheme(const TPlanned& planned) {
    const TSubstanceRecord& record = *planned.record;
    const TSqlRow row =
        m_dm.dbKelvoADO
            .Select(u"SELECT s.IsParent, s.MolMass, s.MetSubCode1, s.MetSubCode2, p.icombo3, p.prtrn12, "
                    u"p.prtrn13, p.prtrn23 FROM Substances s LEFT JOIN Substance_PRZM p USING (SubstanceCode) "
                    u"WHERE s.SubstanceCode = ?"_s,
                    {planned.code})
            .rows.value(0);
    if (row.isEmpty()) return;
    const bool parent = row[0].toBool();
    const QString metabolites[] = {row[2].toString(), row[3].toString()};
    const QString slotFields[] = {u"MetSubCode1"_s, u"MetSubCode2"_s};
    if (!parent) {
        for (int i = 0; i < 2; ++i)
            if (!metabolites[i].isEmpty())
                Fail(record, slotFields[i], metabolites[i], u"%1 is not a parent substance"_s.arg(planned.code));
        return;
    }
    const int scheme = row[4].toInt();
    if (scheme < 1 || scheme > 4) Fail(record, u"icombo3"_s, row[4], u"The metabolite scheme is 1, 2, 3 or 4"_s);
    const int expected = scheme == 1 ? 0 : (scheme == 2 ? 1 : 2);
    for (int i = 0; i < 2; ++i) {
        const QString& code = metabolites[i];
        if ((i < expected) != !code.isEmpty())
            Fail(record, slotFields[i], code,
                 i < expected ? u"Select a metabolite."_s
                              : u"the metabolite scheme %1 has no metabolite %2"_s.arg(scheme).arg(i + 1));
        if (code.isEmpty()) continue;
        const TSqlRow metabolite = m_dm.dbKelvoADO
                                       .Select(u"SELECT IsParent, MolMass FROM Substances WHERE SubstanceCode = ?"_s,
                                               {code})
                                       .rows.value(0);
        const bool otherParent = !m_dm.dbKelvoADO
                                      .Select(u"SELECT 1 FROM Substances WHERE SubstanceCode <> ? AND "
                                              u"(MetSubCode1 = ? OR MetSubCode2 = ?) LIMIT 1"_s,
                                              {planned.code, code, code})
                                      .rows.isEmpty();
        if (metabolite.isEmpty() || metabolite[0].toBool() || otherParent || code.compare(planned.code, Qt::CaseInsensitive) == 0)
            Fail(record, slotFields[i], code, u"%1 cannot be a metabolite of %2"_s.arg(code, planned.code));
        if (metabolite[1].toDouble() > row[1].toDouble())
            Fail(record, slotFields[i], code, u"Molecular Mass of metabolite > parent."_s);
    }
    if (!metabolites[0].isEmpty() && metabolites[0].compare(metabolites[1], Qt::CaseInsensitive) == 0)
        Fail(record, slotFields[1], metabolites[1], u"%1 cannot be a metabolite of %2"_s.arg(metabolites[1], planned.code));
    for (const auto& [index, field] : {std::pair{5, u"prtrn12"_s}, {6, u"prtrn13"_s}, {7, u"prtrn23"_s}})
        if (!row[index].isNull() && (row[index].toDouble() < 0 || row[index].toDouble() > 1 + FractionTolerance))
            Fail(record, field, row[index], u"Invalid fraction. Enter a number between 0 and 1."_s);
}

TSubstanceImportResult TImport::Run() {
    Plan();
    LinkMetabolites();
    const bool wasOpen = m_dm.tblSubstances.active();
    if (!wasOpen && !m_dm.OpenSubstanceTables()) Abort();
    const bool askBeforeSave = m_dm.AskBeforeSave;
    m_dm.AskBeforeSave = false;
    m_dm.UndoSubstance();
    try {
        TTransaction transaction(m_dm.dbKelvoADO);
        {
            const TBulkInsert bulk(m_dm);
            const TdmKelvoADO::TSubstanceDefaults defaults = m_dm.SubstanceDefaults(GivenByAll());
            for (TPlanned& planned : m_planned) {
                if (planned.action != TAction::Add && planned.action != TAction::Replace) continue;
                Write(planned, defaults);
                // Written: its values go while they are at hand.
                planned.values = {};
                planned.at = {};
            }
        }
        for (const TPlanned* planned : m_schemes)
            CheckScheme(*planned);
        transaction.Commit();
    } catch (...) {
        // The record sets drop what the rolled-back transaction took with it.
        m_dm.AskBeforeSave = askBeforeSave;
        m_dm.UndoSubstance();
        for (TTable* table : {&m_dm.tblSubstances, &m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM})
            if (table->active()) table->refresh();
        if (!wasOpen) m_dm.CloseSubstanceTables();
        throw;
    }
    m_dm.AskBeforeSave = askBeforeSave;
    if (!wasOpen)
        m_dm.CloseSubstanceTables();
    else
        for (TTable* table : {&m_dm.tblSubstances, &m_dm.tblSubstancesMacro, &m_dm.tblSubstancesPRZM})
            table->refresh();
    for (const TPlanned& planned : m_planned) {
        switch (planned.action) {
        case TAction::Add:
            m_result.added << planned.code;
            if (planned.code != planned.fileCode) m_result.renamed.insert(planned.fileCode, planned.code);
            break;
        case TAction::Replace:
            m_result.replaced << planned.code;
            break;
        case TAction::Skip:
            m_result.skipped << planned.code;
            break;
        case TAction::Reuse:
            m_result.reused << planned.code;
            break;
        }
    }
    return m_result;
}

} // namespace

TSubstanceImportResult ImportSubstances(TdmKelvoADO& dm, const TSubstanceFile& file,
                                        const TSubstanceImportOptions& options) {
    return TImport(dm, file, options).Run();
}

QStringList ExistingSubstanceCodes(TdmKelvoADO& dm, const TSubstanceFile& file) {
    QHash<QString, QString> library;
    for (const TSqlRow& row : dm.dbKelvoADO.Select(u"SELECT SubstanceCode FROM Substances"_s).rows)
        library.insert(row[0].toString().toLower(), row[0].toString());
    QStringList existing;
    for (const TSubstanceRecord& record : file.records) {
        const auto value = std::find_if(record.values.cbegin(), record.values.cend(), [](const TSubstanceValue& v) {
            return v.field.compare(CodeField, Qt::CaseInsensitive) == 0;
        });
        const QString code = value == record.values.cend() ? QString() : value->value.toString().trimmed();
        const auto stored = library.constFind(code.toLower());
        if (code.isEmpty() || stored == library.cend()) continue;
        existing << (*stored == code ? code : u"%1 (%2 in the library)"_s.arg(code, *stored));
    }
    return existing;
}
