#include "store/Locate.h"

#include "store/RecordSet.h"

#include <functional>

namespace {

// Finds the row by comparing values in place and moves there once, so the record set's scroll
// events run for the final row only.
bool LocateBy(TRecordSet& rs, int n, const std::function<bool(const TField&, const QVariant&, int)>& equal) {
    if (!rs.active()) rs.open();
    rs.checkBrowseMode();
    const QVariant remembered = rs.isEmpty() ? QVariant() : rs.field(0).value();
    const TField& firstField = rs.field(0);
    for (int row = 0; row < rs.rowCount(); ++row) {
        bool all = true;
        for (int i = 0; i < n && all; ++i)
            all = equal(rs.field(i), rs.valueAt(row, i), i);
        if (all) {
            rs.setRecNo(row + 1);
            return true;
        }
    }
    for (int row = 0; row < rs.rowCount(); ++row)
        if (firstField.plainText(rs.valueAt(row, 0)) == firstField.plainText(remembered)) {
            rs.setRecNo(row + 1);
            return false;
        }
    rs.first();
    return false;
}

} // namespace

bool LocateByTextKeys(TRecordSet& recordSet, const QStringList& keys, int n) {
    n = std::min<int>(n, static_cast<int>(keys.size()));
    return LocateBy(recordSet, n, [&keys](const TField& f, const QVariant& v, int i) {
        return f.plainText(v) == keys[i];
    });
}

bool LocateByIntegerKeys(TRecordSet& recordSet, const QVector<int>& keys) {
    return LocateBy(recordSet, static_cast<int>(keys.size()), [&keys](const TField&, const QVariant& v, int i) {
        return !v.isNull() && v.toInt() == keys[i];
    });
}
