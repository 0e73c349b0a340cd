#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <utility>

class TAggregationList;

// The PRZM chemical data file set in a folder (normally PRZM/wpic/ of the installation): chmdat.dat
// with its records of 760 bytes, the new file $chmdat.dat while it is written, and chmnum.dat with the
// number of records. A new file set replaces the old one only when it has been written completely.
class TPRZMSubstanceFile {
public:
    enum class TMode { Closed, Reading, Writing };

    // The file set of the installation. Raises "File not found: " + path when chmdat.dat or chmnum.dat
    // is missing.
    TPRZMSubstanceFile();
    explicit TPRZMSubstanceFile(const QString& folder);
    virtual ~TPRZMSubstanceFile();
    TPRZMSubstanceFile(const TPRZMSubstanceFile&) = delete;
    TPRZMSubstanceFile& operator=(const TPRZMSubstanceFile&) = delete;

    const QString& DataFileName() const { return m_dataFile; }
    const QString& NewDataFileName() const { return m_newDataFile; }
    const QString& CountFileName() const { return m_countFile; }
    TMode Mode() const { return m_mode; }

    // Every record of chmdat.dat in file order, as TPRZM_Substance objects owned by the caller.
    std::unique_ptr<TAggregationList> ReadAll();
    // Writes the records in list order as the new file set: $chmdat.dat and the new record count are
    // written completely, then renamed over chmdat.dat and chmnum.dat. On any failure the old files stay
    // and the error is raised. Answers true.
    bool WriteAll(const TAggregationList& records);
    // A chmdat.dat that cannot be read is copied to chmdat.dat.damaged-<time> beside it before a write
    // replaces it. Answers the copy's path and the reading error; both empty when the file reads. Raises,
    // naming the file, when the copy cannot be made.
    std::pair<QString, QString> KeepUnreadable();

    // Opens chmdat.dat for reading; raises when its size is not a multiple of 760 (a damaged file).
    void OpenForReading();
    // Creates $chmdat.dat empty.
    void OpenForWriting();
    // False (nothing read) unless reading and the index is below RecordCount.
    bool ReadRecord(int index, QByteArray& record);
    // False (nothing written) unless writing and the index is at most WrittenCount.
    virtual bool WriteRecord(int index, const QByteArray& record);
    bool AppendRecord(const QByteArray& record);
    void CloseReading();
    void CloseWriting();
    // Records in chmdat.dat.
    int RecordCount() const;
    // Records in $chmdat.dat.
    int WrittenCount() const;
    // Writes the number as the one line of the new record count file, which WriteAll puts in place.
    void WriteRecordCount(int number);

private:
    // Renames the new files over the old ones.
    void ReplaceFiles();
    // Removes the new files of a write that failed.
    void DiscardNewFiles();

    QString m_dataFile;
    QString m_newDataFile;
    QString m_countFile;
    QString m_newCountFile;
    QFile m_reader;
    QFile m_writer;
    TMode m_mode = TMode::Closed;
    int m_written = 0;
};
