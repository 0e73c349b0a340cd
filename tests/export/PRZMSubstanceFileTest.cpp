#include "export/PRZMSubstanceFile.h"
#include "export/PRZMTestSupport.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

// The chemical data file set on disk: reading, the complete replacement of the old files by the new
// ones, and what a failure half-way leaves behind.

namespace {

class PRZMSubstanceFileTest : public TKelvoTest {
protected:
    void SetUp() override {
        TKelvoTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        Put(u"chmdat.dat"_s, OldData);
        Put(u"chmnum.dat"_s, OldCount);
    }

    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void Put(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Contents(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    // Only the two files of the set are left in the folder.
    void ExpectNoNewFiles() const {
        EXPECT_EQ((QStringList{u"chmdat.dat"_s, u"chmnum.dat"_s}),
                  QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name));
    }
    void ExpectOldFiles() const {
        EXPECT_EQ(OldData, Contents(u"chmdat.dat"_s));
        EXPECT_EQ(OldCount, Contents(u"chmnum.dat"_s));
        ExpectNoNewFiles();
    }
    static std::unique_ptr<TAggregationList> Records(const QList<TPRZM_Substance>& substances) {
        auto list = std::make_unique<TAggregationList>();
        for (const TPRZM_Substance& s : substances)
            list->Add(new TPRZM_Substance(s));
        return list;
    }

    const QByteArray OldData = PRZMFixture(u"standin_chmdat.dat"_s);
    const QByteArray OldCount = "1\r\n";
    QTemporaryDir dir;
};

// A writer that fails after a number of records, as a full disk would.
class TFailingFile : public TPRZMSubstanceFile {
public:
    TFailingFile(const QString& folder, int recordsBeforeFailure)
        : TPRZMSubstanceFile(folder), m_left(recordsBeforeFailure) {}
    bool WriteRecord(int index, const QByteArray& record) override {
        if (m_left-- == 0) throw EKelvoError(u"No space left on device"_s);
        return TPRZMSubstanceFile::WriteRecord(index, record);
    }

private:
    int m_left;
};

TEST_F(PRZMSubstanceFileTest, AMissingFileOfTheSetIsNamed) {
    for (const QString& name : {u"chmnum.dat"_s, u"chmdat.dat"_s}) {
        QFile::remove(Path(name));
        try {
            TPRZMSubstanceFile file(dir.path());
            ADD_FAILURE() << "opened without " << name.toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(u"File not found: "_s + QDir(dir.path()).absoluteFilePath(name), e.Message());
        }
    }
}

TEST_F(PRZMSubstanceFileTest, RecordsAreWrittenInListOrderAndReadBack) {
    TPRZMSubstanceFile file(dir.path());
    TPRZM_Substance second = FullSubstance();
    second.key = u"SECOND"_s;
    const auto written = Records({FullSubstance(), second});
    EXPECT_TRUE(file.WriteAll(*written));
    EXPECT_EQ(PRZMFixture(u"full.dat"_s) + second.ToRecord(), Contents(u"chmdat.dat"_s));
    EXPECT_EQ("2\r\n", Contents(u"chmnum.dat"_s));
    ExpectNoNewFiles();
    EXPECT_EQ(TPRZMSubstanceFile::TMode::Closed, file.Mode());

    EXPECT_EQ(2, file.RecordCount());
    const auto read = file.ReadAll();
    ASSERT_EQ(2, read->Count());
    const QList<TPRZM_Substance*> items = read->Items<TPRZM_Substance>();
    ExpectSameValues(FullSubstance(), *items[0]);
    ExpectSameValues(second, *items[1]);
    EXPECT_EQ(TPRZMSubstanceFile::TMode::Closed, file.Mode());
}

TEST_F(PRZMSubstanceFileTest, AnEmptyListGivesAnEmptyFileThatReadsEmpty) {
    TPRZMSubstanceFile file(dir.path());
    EXPECT_TRUE(file.WriteAll(TAggregationList()));
    EXPECT_EQ(QByteArray(), Contents(u"chmdat.dat"_s));
    EXPECT_EQ("0\r\n", Contents(u"chmnum.dat"_s));
    EXPECT_EQ(0, file.ReadAll()->Count());
}

TEST_F(PRZMSubstanceFileTest, AFileWhoseSizeIsNoMultipleOfTheRecordIsDamaged) {
    Put(u"chmdat.dat"_s, OldData + QByteArray(240, ' '));
    TPRZMSubstanceFile file(dir.path());
    try {
        file.ReadAll();
        FAIL() << "a damaged file was read";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(
            u"The PRZM chemical data file %1 is damaged: its size of 1000 bytes is not a multiple of 760"_s
                .arg(file.DataFileName()),
            e.Message());
    }
    EXPECT_EQ(TPRZMSubstanceFile::TMode::Closed, file.Mode());
}

TEST_F(PRZMSubstanceFileTest, ABlankRealFieldStopsTheReading) {
    Put(u"chmdat.dat"_s, PRZMFixture(u"blank_real.dat"_s));
    TPRZMSubstanceFile file(dir.path());
    EXPECT_THROW(file.ReadAll(), EKelvoError);
    EXPECT_EQ(TPRZMSubstanceFile::TMode::Closed, file.Mode());
}

TEST_F(PRZMSubstanceFileTest, StepsRefuseWhatTheirModeOrIndexDoesNotAllow) {
    TPRZMSubstanceFile file(dir.path());
    const QByteArray record = FullSubstance().ToRecord();
    QByteArray read;

    file.OpenForReading();
    EXPECT_EQ(1, file.RecordCount());
    EXPECT_FALSE(file.WriteRecord(0, record));
    EXPECT_FALSE(file.ReadRecord(1, read));
    EXPECT_TRUE(file.ReadRecord(0, read));
    EXPECT_EQ(OldData, read);
    file.CloseReading();

    file.OpenForWriting();
    EXPECT_FALSE(file.ReadRecord(0, read));
    EXPECT_FALSE(file.WriteRecord(1, record));
    EXPECT_TRUE(file.AppendRecord(OldData));
    EXPECT_TRUE(file.AppendRecord(OldData));
    EXPECT_TRUE(file.WriteRecord(0, record));
    EXPECT_FALSE(file.AppendRecord(record.left(700)));
    EXPECT_EQ(2, file.WrittenCount());
    file.CloseWriting();
    EXPECT_EQ(record + OldData, Contents(u"$chmdat.dat"_s));
    EXPECT_EQ(OldData, Contents(u"chmdat.dat"_s));
}

TEST_F(PRZMSubstanceFileTest, AWriterFailingHalfWayLeavesTheOldFiles) {
    for (const int recordsBeforeFailure : {0, 1, 2}) {
        SCOPED_TRACE(recordsBeforeFailure);
        TFailingFile file(dir.path(), recordsBeforeFailure);
        const auto records = Records({FullSubstance(), FullSubstance(), FullSubstance()});
        try {
            file.WriteAll(*records);
            ADD_FAILURE() << "written";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(u"No space left on device"_s, e.Message());
        }
        ExpectOldFiles();
    }
}

TEST_F(PRZMSubstanceFileTest, AValueTooWideHalfWayLeavesTheOldFiles) {
    TPRZMSubstanceFile file(dir.path());
    TPRZM_Substance wide = FullSubstance();
    wide.key = u"WIDE"_s;
    wide.Chemical(2).dknum = 1234;
    const auto records = Records({FullSubstance(), wide, FullSubstance()});
    try {
        file.WriteAll(*records);
        FAIL() << "written";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(
            u"Substance WIDE: the value 1234 of dknum [2] does not fit its field of 3 characters in the PRZM "
            "chemical data file"_s,
            e.Message());
    }
    ExpectOldFiles();
}

TEST_F(PRZMSubstanceFileTest, AFailedReplacementIsReportedAndTheCountStays) {
    // chmdat.dat stands as a folder, which a file cannot replace.
    QFile::remove(Path(u"chmdat.dat"_s));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"chmdat.dat/inside"_s));
    TPRZMSubstanceFile file(dir.path());
    try {
        file.WriteAll(*Records({FullSubstance()}));
        FAIL() << "written";
    } catch (const EKelvoError& e) {
        EXPECT_TRUE(e.Message().startsWith(
            u"Cannot replace %1 by %2: "_s.arg(file.DataFileName(), file.NewDataFileName())))
            << e.what();
    }
    EXPECT_TRUE(QFileInfo(Path(u"chmdat.dat"_s)).isDir());
    EXPECT_EQ(OldCount, Contents(u"chmnum.dat"_s));
    ExpectNoNewFiles();
}

} // namespace
