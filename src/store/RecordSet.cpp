#include "store/RecordSet.h"

#include "foundation/Errors.h"
#include "store/Transaction.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Quoted(const QString& identifier) { return u'"' + identifier + u'"'; }

QStringList SplitNames(const QString& names) {
    QStringList list;
    for (const QString& n : names.split(u';', Qt::SkipEmptyParts))
        list << n.trimmed();
    return list;
}

// The field type behind a declared column type ("VARCHAR(20)", "SMALLINT", "REAL", ...).
TFieldType TypeOf(const QString& declared, int* size) {
    const QString t = declared.toUpper();
    *size = 0;
    static const QRegularExpression sized(u"\\((\\d+)\\)"_s);
    if (t.contains(u"BOOL"_s)) return TFieldType::Boolean;
    if (t.contains(u"DATE"_s) || t.contains(u"TIME"_s)) return TFieldType::DateTime;
    if (t.contains(u"CHAR"_s) || t.contains(u"TEXT"_s) || t.contains(u"CLOB"_s)) {
        if (const auto m = sized.match(t); m.hasMatch()) *size = m.captured(1).toInt();
        return TFieldType::String;
    }
    if (t.contains(u"SMALLINT"_s)) return TFieldType::SmallInt;
    if (t.contains(u"INT"_s)) return TFieldType::Integer;
    if (t.contains(u"REAL"_s) || t.contains(u"FLOA"_s) || t.contains(u"DOUB"_s) || t.contains(u"NUM"_s) ||
        t.contains(u"DEC"_s))
        return TFieldType::Float;
    return TFieldType::String;
}

// A stored value in the form its field holds it. Values the driver already gives in that form are taken
// as they are (a snapshot converts every stored value).
QVariant FromDatabase(const TField& field, const QVariant& value) {
    if (value.isNull()) return {};
    const int type = value.typeId();
    switch (field.dataType()) {
    case TFieldType::String:
        if (type == QMetaType::QString && (field.size() == 0 || value.toString().size() <= field.size()))
            return value;
        break;
    case TFieldType::Integer:
    case TFieldType::SmallInt:
        if (type == QMetaType::LongLong || type == QMetaType::Int) return value.toInt();
        break;
    case TFieldType::Float:
        if (type == QMetaType::Double) return value;
        break;
    default: break;
    }
    try {
        return field.convert(field.dataType() == TFieldType::String ? QVariant(value.toString()) : value);
    } catch (const EKelvoError&) {
        return value; // a stored value that does not fit the field's type is shown as it is
    }
}

QVariant ToDatabase(const TField& field, const QVariant& value) {
    if (value.isNull()) return {};
    switch (field.dataType()) {
    case TFieldType::Boolean: return value.toBool() ? 1 : 0;
    case TFieldType::DateTime: return value.toDateTime().toString(u"yyyy-MM-ddTHH:mm:ss"_s);
    default: return value;
    }
}

int CompareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) {
        const int c = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
        return c != 0 ? c : QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
    }
    if (a.typeId() == QMetaType::QDateTime) return a.toDateTime() < b.toDateTime() ? -1 : (a == b ? 0 : 1);
    const double x = a.toDouble();
    const double y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Restores a pointer member when it goes out of scope.
template <typename T> class TRestore {
public:
    TRestore(T& target, T value) : m_target(target), m_saved(target) { target = value; }
    ~TRestore() { m_target = m_saved; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& m_target;
    T m_saved;
};

} // namespace

TRecordSet::TRecordSet(TConnection* connection, const QString& name) : m_connection(connection), m_name(name) {
    if (m_connection) m_connection->Register(this);
}

TRecordSet::~TRecordSet() {
    m_state = TState::Inactive;
    if (m_master) std::erase(m_master->m_details, this);
    for (TRecordSet* d : m_details)
        d->m_master = nullptr;
    if (m_connection) m_connection->Unregister(this);
}

TField& TRecordSet::addField(const QString& name, TFieldType type, int size) {
    if (active()) throw EKelvoError(u"%1: Cannot add a field to an open dataset"_s.arg(m_name));
    if (!m_persistent) m_fields.clear();
    forgetFieldLookups();
    m_persistent = true;
    auto field = std::make_unique<TField>(this, name, type, size);
    field->m_index = fieldCount();
    m_fields.push_back(std::move(field));
    return *m_fields.back();
}

void TRecordSet::forgetFieldLookups() {
    m_fieldLookup.clear();
    m_literalLookup.fill({});
    m_wholeRowInsert.clear();
    m_wholeRowFields.clear();
}

TField& TRecordSet::addCalculatedField(const QString& name, TFieldType type, int size) {
    return addField(name, type, size).setCalculated(true);
}

TField& TRecordSet::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw EKelvoError(u"%1: Field index out of range (%2)"_s.arg(m_name).arg(index));
    return *m_fields[static_cast<size_t>(index)];
}

TField* TRecordSet::findField(const QString& name) const {
    // A literal's text is static: no header, and the same address at every call.
    TLiteralName* literal = nullptr;
    if (!name.isNull() && !name.data_ptr().isMutable()) {
        literal = &m_literalLookup[(reinterpret_cast<quintptr>(name.constData()) / sizeof(char16_t)) %
                                   m_literalLookup.size()];
        if (literal->field && literal->name.constData() == name.constData() && literal->name == name)
            return literal->field;
    }
    TField* found = m_fieldLookup.value(name);
    if (!found) {
        const auto named = std::find_if(m_fields.cbegin(), m_fields.cend(), [&name](const auto& f) {
            return f->fieldName().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (named == m_fields.cend()) return nullptr;
        found = named->get();
        m_fieldLookup.insert(name, found);
    }
    if (literal) *literal = {name, found};
    return found;
}

TField& TRecordSet::fieldByName(const QString& name) const {
    if (TField* f = findField(name)) return *f;
    throw EKelvoError(u"%1: Field '%2' not found"_s.arg(m_name, name));
}

QStringList TRecordSet::fieldNames() const {
    QStringList names;
    for (const auto& f : m_fields)
        names << f->fieldName();
    return names;
}

// --- opening, loading, closing -------------------------------------------------------------

void TRecordSet::createFieldsFrom(const QStringList& columns) {
    QStringList current = fieldNames();
    if (!m_fields.empty() && current == columns) return; // same columns: keep the fields and their events
    m_fields.clear();
    forgetFieldLookups();
    const QString table = updateTable();
    for (const QString& column : columns) {
        int size = 0;
        const TFieldType type = TypeOf(m_connection->DeclaredType(table, column), &size);
        auto field = std::make_unique<TField>(this, column, type, size);
        field->m_index = fieldCount();
        m_fields.push_back(std::move(field));
    }
}

std::vector<TRecordSet::TRow> TRecordSet::loadRows() {
    if (!m_connection) throw EKelvoError(u"%1: Missing connection"_s.arg(m_name));
    QVariantList params;
    const QString sql = selectStatement(&params);
    const TSqlResult result = m_connection->Select(sql, params);
    const bool writable = !updateTable().isEmpty();
    const int first = writable ? 1 : 0;
    const QStringList columns = result.columns.mid(first);
    if (!m_persistent) createFieldsFrom(columns);

    // Column of the result behind each field (-1 for calculated fields).
    QVector<int> source(fieldCount(), -1);
    for (int i = 0; i < fieldCount(); ++i) {
        if (field(i).calculated()) continue;
        for (int c = 0; c < columns.size(); ++c)
            if (columns[c].compare(field(i).fieldName(), Qt::CaseInsensitive) == 0) {
                source[i] = c + first;
                break;
            }
        if (source[i] < 0) throw EKelvoError(u"%1: Field '%2' not found"_s.arg(m_name, field(i).fieldName()));
    }

    // Stored dates repeat (the runs of a project share theirs) and are slow to read: each distinct one is
    // read once per load.
    QHash<QString, QVariant> dates;
    std::vector<TRow> rows;
    rows.reserve(static_cast<size_t>(result.rows.size()));
    for (const TSqlRow& r : result.rows) {
        TRow row;
        row.id = writable ? r[0].toLongLong() : -1;
        row.values.resize(fieldCount());
        for (int i = 0; i < fieldCount(); ++i) {
            if (source[i] < 0) continue;
            const QVariant& stored = r[source[i]];
            if (field(i).dataType() != TFieldType::DateTime || stored.typeId() != QMetaType::QString) {
                row.values[i] = FromDatabase(field(i), stored);
                continue;
            }
            auto date = dates.constFind(stored.toString());
            if (date == dates.cend()) date = dates.insert(stored.toString(), FromDatabase(field(i), stored));
            row.values[i] = *date;
        }
        rows.push_back(std::move(row));
    }
    if (!m_sortField.isEmpty()) sortRows(rows);
    return rows;
}

void TRecordSet::replaceRows(std::vector<TRow> rows) {
    const bool sameRows =
        rows.size() == m_rows.size() && std::equal(rows.begin(), rows.end(), m_rows.begin(),
                                                   [](const TRow& a, const TRow& b) { return a.id == b.id; });
    const bool signal = m_disableCount == 0;
    if (!sameRows && signal) Q_EMIT rowsAboutToBeReset();
    m_rows = std::move(rows);
    const auto signalRows = [this, sameRows, signal] {
        if (!signal) return;
        if (!sameRows)
            Q_EMIT rowsReset();
        else if (!m_rows.empty())
            Q_EMIT rowsChanged(0, rowCount() - 1);
    };
    try {
        calculateAll();
    } catch (...) {
        signalRows();
        throw;
    }
    signalRows();
}

void TRecordSet::open() {
    if (active()) return;
    std::vector<TRow> rows = loadRows();
    m_state = TState::Browse;
    m_current = rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = rows.empty();
    m_modified = false;
    replaceRows(std::move(rows));
    emitState();
    thenSignalCurrent([this] {
        reloadDetails();
        if (!m_rows.empty() && afterScroll) afterScroll(*this);
    });
}

void TRecordSet::close() {
    if (!active()) return;
    m_state = TState::Inactive;
    m_buffer.clear();
    m_current = -1;
    m_eof = m_bof = true;
    m_modified = false;
    replaceRows({});
    emitState();
    thenSignalCurrent([this] { reloadDetails(); });
}

void TRecordSet::refresh() {
    checkActive();
    checkBrowseMode();
    const qint64 id = m_current >= 0 ? m_rows[static_cast<size_t>(m_current)].id : -1;
    const int oldRow = m_current;
    std::vector<TRow> rows = loadRows();
    const int count = static_cast<int>(rows.size());
    m_current = -1;
    for (int i = 0; i < count && id >= 0 && m_current < 0; ++i)
        if (rows[static_cast<size_t>(i)].id == id) m_current = i;
    if (m_current < 0) m_current = count == 0 ? -1 : std::clamp(oldRow, 0, count - 1);
    m_eof = count == 0;
    m_bof = m_current <= 0;
    replaceRows(std::move(rows));
    thenSignalCurrent([this] { reloadDetails(); });
}

void TRecordSet::checkActive() const {
    if (!active()) throw EKelvoError(u"%1: Cannot perform this operation on a closed dataset"_s.arg(m_name));
}

void TRecordSet::checkBrowseMode() {
    if (m_state != TState::Edit && m_state != TState::Insert) return;
    if (m_modified)
        post();
    else
        cancel();
}

// --- navigation ------------------------------------------------------------------------------

void TRecordSet::moveTo(int row) {
    m_current = m_rows.empty() ? -1 : std::clamp(row, 0, rowCount() - 1);
}

void TRecordSet::scrolled() {
    thenSignalCurrent([this] {
        reloadDetails();
        if (afterScroll) afterScroll(*this);
    });
}

void TRecordSet::thenSignalCurrent(const std::function<void()>& steps) {
    try {
        steps();
    } catch (...) {
        emitCurrent();
        throw;
    }
    emitCurrent();
}

void TRecordSet::first() {
    checkActive();
    checkBrowseMode();
    moveTo(0);
    m_bof = true;
    m_eof = m_rows.empty();
    scrolled();
}

void TRecordSet::last() {
    checkActive();
    checkBrowseMode();
    moveTo(rowCount() - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    scrolled();
}

void TRecordSet::next() {
    checkActive();
    checkBrowseMode();
    if (m_current + 1 < rowCount()) {
        moveTo(m_current + 1);
        m_bof = m_eof = false;
        scrolled();
    } else {
        m_eof = true;
    }
}

void TRecordSet::prior() {
    checkActive();
    checkBrowseMode();
    if (m_current > 0) {
        moveTo(m_current - 1);
        m_bof = m_eof = false;
        scrolled();
    } else {
        m_bof = true;
    }
}

bool TRecordSet::eof() const { return !active() || m_eof || m_rows.empty(); }

bool TRecordSet::bof() const { return !active() || m_bof || m_rows.empty(); }

int TRecordSet::recordCount() const {
    int count = rowCount();
    if (m_state == TState::Insert) --count;
    return count;
}

void TRecordSet::setRecNo(int recNo) {
    checkActive();
    if (recNo == m_current + 1) return;
    checkBrowseMode();
    if (recNo < 1 || recNo > rowCount()) return;
    moveTo(recNo - 1);
    m_bof = m_current == 0;
    m_eof = false;
    scrolled();
}

// --- editing ---------------------------------------------------------------------------------

void TRecordSet::edit() {
    checkActive();
    if (m_state == TState::Edit || m_state == TState::Insert) return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    if (updateTable().isEmpty()) throw EKelvoError(u"%1: Cannot modify a read-only dataset"_s.arg(m_name));
    if (beforeEdit) beforeEdit(*this);
    m_buffer = m_rows[static_cast<size_t>(m_current)].values;
    m_changed = QVector<bool>(fieldCount(), false);
    m_modified = false;
    m_state = TState::Edit;
    emitState();
}

TRecordSet::TEditSnapshot TRecordSet::editSnapshot() const {
    if (m_state != TState::Edit || m_current < 0) return {};
    return {m_current, m_rows[static_cast<size_t>(m_current)].values, m_buffer, m_changed};
}

void TRecordSet::restoreEdit(const TEditSnapshot& snapshot) {
    if (snapshot.row < 0 || snapshot.row >= rowCount() || m_state == TState::Insert) return;
    moveTo(snapshot.row);
    m_rows[static_cast<size_t>(snapshot.row)].values = snapshot.stored;
    m_buffer = snapshot.edited;
    m_changed = snapshot.changed;
    m_modified = true;
    m_state = TState::Edit;
    emitRow(m_current);
    emitState();
}

void TRecordSet::ensureEditing() {
    if (m_state == TState::Browse) edit();
}

void TRecordSet::insert() { startInsert(std::max(m_current, 0)); }

void TRecordSet::append() {
    checkActive();
    checkBrowseMode();
    startInsert(rowCount());
}

void TRecordSet::startInsert(int position) {
    checkActive();
    checkBrowseMode();
    if (updateTable().isEmpty()) throw EKelvoError(u"%1: Cannot modify a read-only dataset"_s.arg(m_name));
    position = std::clamp(position, 0, rowCount());
    m_insertReturnRow = m_current;
    // The new row's values are the buffer's until it is posted.
    m_buffer = QVector<QVariant>(fieldCount());
    insertRow(position, TRow());
    m_current = position;
    m_changed = QVector<bool>(fieldCount(), false);
    // A new detail row takes the master's link values.
    const QVariantList linkValues = masterLinkValues();
    for (int i = 0; i < m_detailFields.size() && i < linkValues.size(); ++i)
        if (TField* f = findField(m_detailFields[i])) {
            m_buffer[f->index()] = f->convert(linkValues[i]);
            m_changed[f->index()] = true;
        }
    m_modified = false;
    m_state = TState::Insert;
    m_eof = m_bof = false;
    emitState();
    if (afterInsert) afterInsert(*this);
    if (m_state == TState::Insert) scrolled();
}

void TRecordSet::appendRecord(const QVariantList& values) {
    append();
    try {
        for (int i = 0; i < values.size() && i < fieldCount(); ++i) {
            if (m_state != TState::Insert) return; // a rule cancelled the new row
            if (field(i).calculated()) continue;
            field(i).setValue(values[i]);
        }
        if (m_state == TState::Insert) post();
    } catch (...) {
        if (m_state == TState::Insert) cancel();
        throw;
    }
}

void TRecordSet::post() {
    checkActive();
    if (m_state != TState::Edit && m_state != TState::Insert) return;
    if (beforePost) beforePost(*this);
    if (m_state != TState::Edit && m_state != TState::Insert) return; // a rule cancelled the row
    for (const auto& f : m_fields)
        if (f->required() && !f->calculated() && m_buffer[f->index()].isNull())
            throw EKelvoError(u"Field '%1' must have a value"_s.arg(f->displayName()));
    if (m_state == TState::Edit)
        writeRow();
    else
        writeInsert();
    m_state = TState::Browse;
    m_modified = false;
    m_buffer.clear();
    m_insertReturnRow = -1;
    calculate(m_current);
    emitRow(m_current);
    emitState();
    thenSignalCurrent([this] {
        if (!m_bulkInsert) reloadDetails();
        if (afterPost) afterPost(*this);
    });
}

void TRecordSet::writeRow() {
    QStringList sets;
    QVariantList params;
    for (const auto& f : m_fields)
        if (!f->calculated() && m_changed.value(f->index())) {
            sets << Quoted(f->fieldName()) + u" = ?"_s;
            params << ToDatabase(*f, m_buffer[f->index()]);
        }
    TRow& row = m_rows[static_cast<size_t>(m_current)];
    if (!sets.isEmpty()) {
        params << row.id;
        m_connection->Execute(
            u"UPDATE %1 SET %2 WHERE rowid = ?"_s.arg(Quoted(updateTable()), sets.join(u", "_s)), params);
    }
    row.values = m_buffer;
}

// Every column's value, empty ones too: the row is stored exactly as the buffer holds it.
qint64 TRecordSet::writeWholeRow() {
    if (m_wholeRowInsert.isEmpty()) {
        QStringList columns;
        for (const auto& f : m_fields)
            if (!f->calculated()) {
                columns << Quoted(f->fieldName());
                m_wholeRowFields.push_back(f.get());
            }
        m_wholeRowInsert = u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(
            Quoted(updateTable()), columns.join(u", "_s), QStringList(columns.size(), u"?"_s).join(u", "_s));
        m_wholeRowValues.reserve(columns.size());
    }
    m_wholeRowValues.clear();
    for (const TField* f : m_wholeRowFields)
        m_wholeRowValues << ToDatabase(*f, std::as_const(m_buffer)[f->index()]);
    return m_connection->Insert(m_wholeRowInsert, m_wholeRowValues);
}

void TRecordSet::writeInsert() {
    qint64 id = 0;
    if (m_bulkInsert) {
        id = writeWholeRow();
    } else {
        QStringList columns;
        QVariantList params;
        for (const auto& f : m_fields)
            if (!f->calculated() && !m_buffer[f->index()].isNull()) {
                columns << Quoted(f->fieldName());
                params << ToDatabase(*f, m_buffer[f->index()]);
            }
        const QString table = Quoted(updateTable());
        id = columns.isEmpty()
                 ? m_connection->Insert(u"INSERT INTO %1 DEFAULT VALUES"_s.arg(table))
                 : m_connection->Insert(u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(
                                            table, columns.join(u", "_s),
                                            QStringList(columns.size(), u"?"_s).join(u", "_s)),
                                        params);
    }
    TRow& row = m_rows[static_cast<size_t>(m_current)];
    row.id = id;
    row.values = m_buffer;
    if (m_bulkInsert) return;
    // Read the stored row back, so defaults of the database show.
    QStringList stored;
    for (const auto& f : m_fields)
        if (!f->calculated()) stored << Quoted(f->fieldName());
    const TSqlResult back =
        m_connection->Select(u"SELECT %1 FROM %2 WHERE rowid = ?"_s.arg(stored.join(u", "_s), Quoted(updateTable())),
                             {id});
    if (back.rows.isEmpty()) return;
    int c = 0;
    for (const auto& f : m_fields)
        if (!f->calculated()) row.values[f->index()] = FromDatabase(*f, back.rows[0][c++]);
}

void TRecordSet::cancel() {
    if (m_state == TState::Edit) {
        m_state = TState::Browse;
        m_buffer.clear();
        m_modified = false;
        emitRow(m_current);
        emitState();
    } else if (m_state == TState::Insert) {
        m_state = TState::Browse;
        m_buffer.clear();
        m_modified = false;
        removeRow(m_current);
        moveTo(m_insertReturnRow);
        m_insertReturnRow = -1;
        m_eof = m_rows.empty();
        emitState();
        scrolled();
    }
}

void TRecordSet::deleteRecord() {
    checkActive();
    if (m_state == TState::Insert) {
        cancel();
        return;
    }
    if (m_rows.empty()) throw EKelvoError(u"Cannot perform this operation on an empty dataset"_s);
    if (updateTable().isEmpty()) throw EKelvoError(u"%1: Cannot modify a read-only dataset"_s.arg(m_name));
    // The row and whatever its rules remove with it go in one commit, or not at all.
    TTransaction transaction(*m_connection);
    if (beforeDelete) beforeDelete(*this);
    m_connection->Execute(u"DELETE FROM %1 WHERE rowid = ?"_s.arg(Quoted(updateTable())),
                          {m_rows[static_cast<size_t>(m_current)].id});
    const bool wasEditing = m_state == TState::Edit;
    if (wasEditing) {
        m_state = TState::Browse;
        m_buffer.clear();
        m_modified = false;
    }
    removeRow(m_current);
    moveTo(m_current);
    m_eof = m_rows.empty();
    if (wasEditing) emitState();
    if (afterDelete) afterDelete(*this);
    scrolled();
}

// --- field values ----------------------------------------------------------------------------

const QVector<QVariant>& TRecordSet::currentValues() const {
    static const QVector<QVariant> none;
    if (m_state == TState::Edit || m_state == TState::Insert) return m_buffer;
    if (m_current >= 0 && m_current < rowCount()) return m_rows[static_cast<size_t>(m_current)].values;
    return none;
}

QVariant TRecordSet::fieldValue(const TField& field) const {
    if (m_calculatingRow >= 0) {
        const auto& values = m_calculatingRow == m_current && (m_state == TState::Edit || m_state == TState::Insert)
                                 ? m_buffer
                                 : m_rows[static_cast<size_t>(m_calculatingRow)].values;
        return values.value(field.index());
    }
    return currentValues().value(field.index());
}

qint64 TRecordSet::rowId(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].id : -1;
}

QVector<qint64> TRecordSet::rowIds() const {
    QVector<qint64> ids;
    ids.reserve(rowCount());
    for (const TRow& row : m_rows)
        ids << row.id;
    return ids;
}

QVariant TRecordSet::valueAt(int row, int fieldIndex) const {
    if (row == m_current && (m_state == TState::Edit || m_state == TState::Insert))
        return m_buffer.value(fieldIndex);
    if (row < 0 || row >= rowCount()) return {};
    return m_rows[static_cast<size_t>(row)].values.value(fieldIndex);
}

void TRecordSet::setFieldValue(TField& field, const QVariant& value) {
    const int i = field.index();
    if (field.calculated()) {
        if (m_calculatingRow >= 0) {
            auto& values = m_calculatingRow == m_current && (m_state == TState::Edit || m_state == TState::Insert)
                               ? m_buffer
                               : m_rows[static_cast<size_t>(m_calculatingRow)].values;
            values[i] = field.convert(value);
        }
        return;
    }
    if (m_state != TState::Edit && m_state != TState::Insert)
        throw EKelvoError(u"%1: Dataset not in edit or insert mode"_s.arg(m_name));
    QVariant converted = field.convert(value);
    field.checkRange(converted);
    if (field.onValidate) {
        QVariant old = std::exchange(m_buffer[i], std::move(converted));
        try {
            field.onValidate(field);
        } catch (...) {
            if ((m_state == TState::Edit || m_state == TState::Insert) && i < m_buffer.size())
                m_buffer[i] = std::move(old);
            throw;
        }
    } else {
        m_buffer[i] = std::move(converted);
    }
    if (m_state != TState::Edit && m_state != TState::Insert) return; // the row was cancelled meanwhile
    m_changed[i] = true;
    m_modified = true;
    calculate(m_current);
    emitRow(m_current);
    if (field.onChange) field.onChange(field);
}

// --- calculated fields -----------------------------------------------------------------------

void TRecordSet::calculate(int row) {
    if (!onCalcFields || row < 0 || row >= rowCount()) return;
    if (std::none_of(m_fields.begin(), m_fields.end(), [](const auto& f) { return f->calculated(); })) return;
    TRestore<int> restore(m_calculatingRow, row);
    onCalcFields(*this);
}

void TRecordSet::calculateAll() {
    for (int r = 0; r < rowCount(); ++r)
        calculate(r);
}

// --- order and links -------------------------------------------------------------------------

void TRecordSet::setIndexFieldNames(const QString& names) {
    m_indexFields = SplitNames(names);
    if (active()) refresh();
}

void TRecordSet::sortRows(std::vector<TRow>& rows) const {
    const TField* f = findField(m_sortField);
    if (!f) throw EKelvoError(u"%1: Field '%2' not found"_s.arg(m_name, m_sortField));
    const int i = f->index();
    std::stable_sort(rows.begin(), rows.end(), [i](const TRow& a, const TRow& b) {
        return CompareValues(a.values[i], b.values[i]) < 0;
    });
}

void TRecordSet::setSort(const QString& fieldName) {
    m_sortField = fieldName;
    if (!active()) return;
    checkBrowseMode();
    if (!m_sortField.isEmpty()) {
        std::vector<TRow> rows = m_rows;
        sortRows(rows);
        replaceRows(std::move(rows));
    }
    first();
}

void TRecordSet::setMasterLink(TRecordSet* master, const QString& masterFields, const QString& detailFields) {
    if (m_master) std::erase(m_master->m_details, this);
    m_master = master;
    m_masterFields = SplitNames(masterFields);
    m_detailFields = SplitNames(detailFields);
    if (m_master) m_master->m_details.push_back(this);
}

QVariantList TRecordSet::masterLinkValues() const {
    QVariantList values;
    if (!m_master || !m_master->active() || m_master->m_current < 0) return values;
    for (const QString& name : m_masterFields)
        values << m_master->fieldByName(name).value();
    return values;
}

void TRecordSet::reloadDetails() {
    for (TRecordSet* d : std::vector<TRecordSet*>(m_details))
        d->masterChanged();
}

// The master moved, changed or closed: post pending changes and show the rows of its new current row.
void TRecordSet::masterChanged() {
    if (!active()) return;
    checkBrowseMode();
    std::vector<TRow> rows = fieldCount() > 0 && selectsNothing() ? std::vector<TRow>() : loadRows();
    m_current = rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = rows.empty();
    replaceRows(std::move(rows));
    scrolled();
}

// --- notifications ---------------------------------------------------------------------------

void TRecordSet::disableControls() {
    if (m_disableCount++ == 0) m_idsWhenDisabled = rowIds();
}

void TRecordSet::enableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) return;
    if (rowIds() != m_idsWhenDisabled) {
        Q_EMIT rowsAboutToBeReset();
        Q_EMIT rowsReset();
    } else if (!m_rows.empty()) {
        Q_EMIT rowsChanged(0, rowCount() - 1);
    }
    m_idsWhenDisabled.clear();
    emitState();
    emitCurrent();
}

void TRecordSet::emitCurrent() {
    if (m_disableCount == 0) Q_EMIT currentChanged(m_current);
}

void TRecordSet::emitState() {
    if (m_disableCount == 0) Q_EMIT stateChanged();
}

void TRecordSet::emitRow(int row) {
    if (m_disableCount == 0 && row >= 0) Q_EMIT rowsChanged(row, row);
}

void TRecordSet::insertRow(int position, TRow row) {
    if (m_disableCount == 0) Q_EMIT rowAboutToBeInserted(position);
    m_rows.insert(m_rows.begin() + position, std::move(row));
    if (m_disableCount == 0) Q_EMIT rowInserted(position);
}

void TRecordSet::removeRow(int position) {
    if (m_disableCount == 0) Q_EMIT rowAboutToBeRemoved(position);
    m_rows.erase(m_rows.begin() + position);
    if (m_disableCount == 0) Q_EMIT rowRemoved(position);
}

// --- tables and queries ----------------------------------------------------------------------

TTable::TTable(TConnection* connection, const QString& name, const QString& tableName)
    : TRecordSet(connection, name), m_table(tableName) {}

void TTable::setTableName(const QString& tableName) {
    if (active()) throw EKelvoError(u"%1: Cannot change the table of an open dataset"_s.arg(name()));
    m_table = tableName;
}

QString TTable::selectStatement(QVariantList* params) const {
    QStringList columns;
    if (hasPersistentFields()) {
        for (int i = 0; i < fieldCount(); ++i)
            if (!field(i).calculated()) columns << Quoted(field(i).fieldName());
    } else {
        columns << u"*"_s;
    }
    QString sql = u"SELECT rowid, %1 FROM %2"_s.arg(columns.join(u", "_s), Quoted(m_table));
    if (m_appendOnly) {
        sql += u" WHERE 0"_s;
    } else if (!detailLinkFields().isEmpty()) {
        const QVariantList values = masterLinkValues();
        if (values.isEmpty()) {
            sql += u" WHERE 0"_s;
        } else {
            QStringList conditions;
            for (const QString& f : detailLinkFields())
                conditions << Quoted(f) + u" = ?"_s;
            sql += u" WHERE "_s + conditions.join(u" AND "_s);
            *params = values;
        }
    }
    if (!indexFieldNames().isEmpty()) {
        QStringList order;
        for (const QString& f : indexFieldNames())
            order << Quoted(f);
        sql += u" ORDER BY "_s + order.join(u", "_s);
    }
    return sql;
}

// A detail of a master row whose link value is empty (a new row before its key is set) has no rows.
bool TTable::selectsNothing() const {
    if (m_appendOnly || detailLinkFields().isEmpty()) return m_appendOnly;
    const QVariantList values = masterLinkValues();
    return values.isEmpty() || std::any_of(values.begin(), values.end(), [](const QVariant& v) { return v.isNull(); });
}

TQuery::TQuery(TConnection* connection, const QString& name, const QStringList& sql)
    : TRecordSet(connection, name), m_sql(sql) {}

void TQuery::setSql(const QStringList& lines) {
    if (active()) close();
    m_sql = lines;
}

void TQuery::setParam(int position, const QVariant& value) {
    while (m_params.size() <= position)
        m_params << QVariant();
    m_params[position] = value;
}

int TQuery::execSql() {
    if (!connection()) throw EKelvoError(u"%1: Missing connection"_s.arg(name()));
    return connection()->Execute(sqlText(), m_params);
}

QString TQuery::updateTable() const {
    if (!m_updateTable.isEmpty()) return m_updateTable;
    // A query over one table writes back into it.
    static const QRegularExpression single(
        u"^\\s*select\\s+(?!distinct\\b).+?\\s+from\\s+\"?(\\w+)\"?\\s*(?:where\\b|order\\b|$)"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QString text = sqlText();
    if (text.contains(u"group by"_s, Qt::CaseInsensitive)) return {};
    const auto match = single.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString TQuery::selectStatement(QVariantList* params) const {
    *params = m_params;
    const QString text = sqlText();
    const QString table = updateTable();
    if (table.isEmpty()) return text;
    static const QRegularExpression select(u"^\\s*select\\s"_s, QRegularExpression::CaseInsensitiveOption);
    const auto match = select.match(text);
    if (!match.hasMatch()) return text;
    return text.left(match.capturedEnd()) + Quoted(table) + u".rowid AS __kelvo_rowid, "_s +
           text.mid(match.capturedEnd());
}
