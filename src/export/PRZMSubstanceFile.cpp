#include "export/PRZMSubstanceFile.h"

#include "export/PRZMSubstance.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 RecordSize = TPRZM_Substance::RecordSize;

QString ExistingFile(const QString& folder, const QString& name) {
    const QString path = QFileInfo(QDir(folder).filePath(name)).absoluteFilePath();
    if (!QFileInfo::exists(path)) throw EKelvoError(u"File not found: "_s + path);
    return path;
}

[[noreturn]] void CannotWrite(const QFile& file) {
    throw EKelvoError(u"Cannot write %1: %2"_s.arg(file.fileName(), file.errorString()));
}

void Rename(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(),
                            error);
    if (error)
        throw EKelvoError(
            u"Cannot replace %1 by %2: %3"_s.arg(to, from, QString::fromLocal8Bit(error.message().c_str())));
}

} // namespace

TPRZMSubstanceFile::TPRZMSubstanceFile() : TPRZMSubstanceFile(InstallationDir() + u"PRZM/wpic"_s) {}

TPRZMSubstanceFile::TPRZMSubstanceFile(const QString& folder)
    : m_dataFile(ExistingFile(folder, u"chmdat.dat"_s)),
      m_newDataFile(QFileInfo(m_dataFile).absolutePath() + u"/$chmdat.dat"_s),
      m_countFile(ExistingFile(folder, u"chmnum.dat"_s)),
      m_newCountFile(QFileInfo(m_countFile).absolutePath() + u"/$chmnum.dat"_s) {
    // A new count file without its data file is what a write stopped between the two renames leaves:
    // the data file is already the new one, so its count follows.
    if (QFileInfo::exists(m_newCountFile) && !QFileInfo::exists(m_newDataFile))
        Rename(m_newCountFile, m_countFile);
}

// A write still open was not completed: its new files go.
TPRZMSubstanceFile::~TPRZMSubstanceFile() {
    if (m_mode == TMode::Writing) DiscardNewFiles();
}

std::unique_ptr<TAggregationList> TPRZMSubstanceFile::ReadAll() {
    OpenForReading();
    auto records = std::make_unique<TAggregationList>();
    try {
        const int count = RecordCount();
        QByteArray record;
        for (int index = 0; index < count; ++index) {
            if (!ReadRecord(index, record))
                throw EKelvoError(u"Cannot read %1: %2"_s.arg(m_dataFile, m_reader.errorString()));
            try {
                records->Add(TPRZM_Substance::CreateFromRecord(record).release());
            } catch (const EKelvoError& e) {
                throw EKelvoError(u"%1, record %2: %3"_s.arg(m_dataFile).arg(index + 1).arg(e.Message()));
            }
        }
    } catch (...) {
        CloseReading();
        throw;
    }
    CloseReading();
    return records;
}

bool TPRZMSubstanceFile::WriteAll(const TAggregationList& records) {
    OpenForWriting();
    try {
        for (const TRootObject* element : records)
            if (!AppendRecord(static_cast<const TPRZM_Substance*>(element)->ToRecord()))
                CannotWrite(m_writer);
        WriteRecordCount(records.Count());
        CloseWriting();
        ReplaceFiles();
    } catch (...) {
        DiscardNewFiles();
        throw;
    }
    return true;
}

std::pair<QString, QString> TPRZMSubstanceFile::KeepUnreadable() {
    try {
        ReadAll();
        return {};
    } catch (const EKelvoError& error) {
        const QString kept =
            m_dataFile + u".damaged-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
        if (!QFile::copy(m_dataFile, kept))
            throw EKelvoError(u"%1 could not be read and could not be kept as %2: it is not replaced."_s.arg(
                m_dataFile, kept));
        return {kept, error.Message()};
    }
}

// A write not closed yet is abandoned.
void TPRZMSubstanceFile::OpenForReading() {
    if (m_mode == TMode::Writing) DiscardNewFiles();
    CloseReading();
    m_reader.setFileName(m_dataFile);
    if (!m_reader.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(m_dataFile, m_reader.errorString()));
    const qint64 size = m_reader.size();
    if (size % RecordSize != 0) {
        m_reader.close();
        throw EKelvoError(
            u"The PRZM chemical data file %1 is damaged: its size of %2 bytes is not a multiple "
            "of %3"_s.arg(m_dataFile)
                .arg(size)
                .arg(RecordSize));
    }
    m_mode = TMode::Reading;
}

void TPRZMSubstanceFile::OpenForWriting() {
    CloseReading();
    if (m_mode == TMode::Writing) DiscardNewFiles();
    m_writer.setFileName(m_newDataFile);
    if (!m_writer.open(QIODevice::WriteOnly | QIODevice::Truncate)) CannotWrite(m_writer);
    m_written = 0;
    m_mode = TMode::Writing;
}

bool TPRZMSubstanceFile::ReadRecord(int index, QByteArray& record) {
    if (m_mode != TMode::Reading || index < 0 || index >= RecordCount()) return false;
    if (!m_reader.seek(index * RecordSize)) return false;
    const QByteArray bytes = m_reader.read(RecordSize);
    if (bytes.size() != RecordSize) return false;
    record = bytes;
    return true;
}

bool TPRZMSubstanceFile::WriteRecord(int index, const QByteArray& record) {
    if (m_mode != TMode::Writing || index < 0 || index > m_written || record.size() != RecordSize)
        return false;
    if (!m_writer.seek(index * RecordSize) || m_writer.write(record) != RecordSize) CannotWrite(m_writer);
    if (index == m_written) ++m_written;
    return true;
}

bool TPRZMSubstanceFile::AppendRecord(const QByteArray& record) {
    return WriteRecord(m_written, record);
}

void TPRZMSubstanceFile::CloseReading() {
    if (m_mode != TMode::Reading) return;
    m_reader.close();
    m_mode = TMode::Closed;
}

void TPRZMSubstanceFile::CloseWriting() {
    if (m_mode != TMode::Writing) return;
    const bool flushed = m_writer.flush() && ::fsync(m_writer.handle()) == 0;
    m_writer.close();
    m_mode = TMode::Closed;
    if (!flushed || m_writer.error() != QFileDevice::NoError) CannotWrite(m_writer);
}

int TPRZMSubstanceFile::RecordCount() const {
    const qint64 size = m_mode == TMode::Reading ? m_reader.size() : QFileInfo(m_dataFile).size();
    return static_cast<int>(size / RecordSize);
}

int TPRZMSubstanceFile::WrittenCount() const {
    return m_written;
}

void TPRZMSubstanceFile::WriteRecordCount(int number) {
    QFile file(m_newCountFile);
    const QByteArray line = QByteArray::number(number) + "\r\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(line) != line.size() ||
        !file.flush() || ::fsync(file.handle()) != 0)
        CannotWrite(file);
}

// chmdat.dat first: the count file is never read by the system.
void TPRZMSubstanceFile::ReplaceFiles() {
    Rename(m_newDataFile, m_dataFile);
    Rename(m_newCountFile, m_countFile);
}

void TPRZMSubstanceFile::DiscardNewFiles() {
    if (m_mode == TMode::Writing) {
        m_writer.close();
        m_mode = TMode::Closed;
    }
    // The count file first: a count file alone means a replacement to finish.
    QFile::remove(m_newCountFile);
    QFile::remove(m_newDataFile);
}
