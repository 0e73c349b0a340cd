#include "support/WalReplay.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The write-ahead log: a 32-byte header (page size at offset 8, salts at 16 and 20), then frames of a
// 24-byte header (page number, database size in pages after a commit or 0, the two salts) and a page.
constexpr int WalHeaderSize = 32;
constexpr int FrameHeaderSize = 24;

quint32 BigEndian(const QByteArray& bytes, qsizetype offset) {
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

// Runs a statement that must succeed.
QSqlQuery Exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    return query;
}

int Counter() {
    static int counter = 0;
    return ++counter;
}

} // namespace

TWalReplay::TWalReplay(const QString& databaseFile)
    : m_file(databaseFile), m_connectionName(u"walReplay%1"_s.arg(Counter())) {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
    db.setDatabaseName(databaseFile);
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    Exec(db, u"PRAGMA busy_timeout = 5000"_s);
    Exec(db, u"PRAGMA journal_mode = WAL"_s);
    QSqlQuery checkpoint = Exec(db, u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
    EXPECT_TRUE(checkpoint.next());
    EXPECT_EQ(0, checkpoint.value(0).toInt()) << "the log could not be emptied: another reader holds it";
    checkpoint.finish();
    Exec(db, u"BEGIN"_s);
    m_before = DumpOf(db);
}

TWalReplay::~TWalReplay() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) {
            QSqlQuery(db).exec(u"ROLLBACK"_s);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QStringList TWalReplay::CommitStates() {
    QFile main(m_file);
    EXPECT_TRUE(main.open(QIODevice::ReadOnly));
    const QByteArray mainBytes = main.readAll();
    QFile walFile(m_file + u"-wal"_s);
    const QByteArray wal = walFile.open(QIODevice::ReadOnly) ? walFile.readAll() : QByteArray();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        QSqlQuery(db).exec(u"ROLLBACK"_s);
    }
    QStringList states;
    if (wal.size() < WalHeaderSize) return states;
    const quint32 pageSize = BigEndian(wal, 8);
    const quint32 salt1 = BigEndian(wal, 16);
    const quint32 salt2 = BigEndian(wal, 20);
    QByteArray pages = mainBytes;
    QTemporaryDir dir;
    for (qsizetype at = WalHeaderSize; at + FrameHeaderSize + pageSize <= static_cast<quint32>(wal.size());
         at += FrameHeaderSize + pageSize) {
        if (BigEndian(wal, at + 8) != salt1 || BigEndian(wal, at + 12) != salt2) break; // a stale frame
        const quint32 pageNumber = BigEndian(wal, at);
        const qsizetype offset = static_cast<qsizetype>(pageNumber - 1) * pageSize;
        if (pages.size() < offset + pageSize) pages.resize(offset + pageSize, '\0');
        pages.replace(offset, pageSize, wal.mid(at + FrameHeaderSize, pageSize));
        const quint32 commitSize = BigEndian(wal, at + 4);
        if (commitSize == 0) continue;
        QByteArray state = pages.left(static_cast<qsizetype>(commitSize) * pageSize);
        // The rebuilt file stands alone: the rollback journal format, so it opens read-only without a log.
        state[18] = 1;
        state[19] = 1;
        const QString file = dir.filePath(u"commit%1.db"_s.arg(states.size()));
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(state);
        out.close();
        states << Dump(file);
    }
    return states;
}

QString TWalReplay::Dump(const QString& databaseFile) {
    const QString name = u"walDump%1"_s.arg(Counter());
    QString dump;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(databaseFile);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        dump = DumpOf(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return dump;
}

QString TWalReplay::DumpOf(QSqlDatabase& db) {
    QStringList tables;
    for (QSqlQuery query = Exec(db, u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s);
         query.next();)
        tables << query.value(0).toString();
    QString dump;
    for (const QString& table : tables) {
        QStringList rows;
        QSqlQuery query = Exec(db, u"SELECT * FROM \"%1\""_s.arg(table));
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << (query.isNull(i) ? u"NULL"_s : query.value(i).toString());
            rows << values.join(u'|');
        }
        rows.sort();
        dump += u"== "_s + table + u'\n' + rows.join(u'\n') + u'\n';
    }
    return dump;
}
