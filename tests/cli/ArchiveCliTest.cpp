#include "store/Connection.h"
#include "support/KelvoTest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <archive.h>
#include <archive_entry.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// One entry of a zip as the tests write it: a file, or a symbolic link to the target.
struct TZipEntry {
    QString path;
    QByteArray data;
    QString linkTarget;
};

la_ssize_t Append(archive*, void* buffer, const void* data, size_t size) {
    static_cast<QByteArray*>(buffer)->append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    return static_cast<la_ssize_t>(size);
}

QByteArray WriteZip(const QVector<TZipEntry>& entries) {
    QByteArray zip;
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open(a, &zip, nullptr, Append, nullptr);
    for (const TZipEntry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.toUtf8().constData());
        if (e.linkTarget.isEmpty()) {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, e.data.size());
        } else {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.linkTarget.toUtf8().constData());
        }
        archive_entry_set_perm(entry, 0644);
        archive_write_header(a, entry);
        if (!e.data.isEmpty()) archive_write_data(a, e.data.constData(), static_cast<size_t>(e.data.size()));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return zip;
}

QVector<TZipEntry> ReadZip(const QByteArray& zip) {
    QVector<TZipEntry> entries;
    archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    archive_read_open_memory(a, zip.constData(), static_cast<size_t>(zip.size()));
    archive_entry* entry = nullptr;
    while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        TZipEntry e{QString::fromUtf8(archive_entry_pathname(entry)), {}, {}};
        char buffer[65536];
        for (la_ssize_t n; (n = archive_read_data(a, buffer, sizeof buffer)) > 0;)
            e.data.append(buffer, static_cast<qsizetype>(n));
        entries << e;
    }
    archive_read_free(a);
    return entries;
}

QByteArray ReadAll(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file below the directory by its relative path, the folders of an earlier export left out.
QMap<QString, QByteArray> Files(const QString& directory, const QStringList& leaveOut = {}) {
    QMap<QString, QByteArray> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = QDir(directory).relativeFilePath(file);
        if (std::any_of(leaveOut.begin(), leaveOut.end(), [&](const QString& p) { return relative.startsWith(p); }))
            continue;
        files.insert(relative, ReadAll(file));
    }
    return files;
}

// A project archived in one working installation and restored in a second, as a colleague would.
class ArchiveCliTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        ASSERT_TRUE(second.isValid() && archives.isValid());
        Ok(Second(), {u"substances"_s}); // the second working installation, made from the templates
    }

    TRun Cli(const QString& installation, const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI), QStringList{u"--install-dir"_s, installation} + arguments);
        EXPECT_TRUE(process.waitForFinished(300000)) << "kelvo-cli did not end";
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    TRun Ok(const QString& installation, const QStringList& arguments) {
        const TRun run = Cli(installation, arguments);
        EXPECT_EQ(0, run.exitCode) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }
    QString Second() const { return second.path(); }
    QString Archive(const QString& name = u"BIG.kelvo.zip"_s) const { return archives.filePath(name); }

    // The largest project: a parent forming two metabolites on the crop with the most scenarios and
    // water bodies, exported, then archived.
    void MakeBigProject() {
        Ok(InstallDir(), {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"BIGP"_s, u"Big_parent"_s});
        for (const QString& code : {u"BIGM1"_s, u"BIGM2"_s})
            Ok(InstallDir(), {u"substance"_s, u"copy"_s, u"EXAMPLE_M1"_s, code, code + u"_metabolite"_s});
        Ok(InstallDir(), {u"--yes"_s, u"substance"_s, u"metabolites"_s, u"BIGP"_s, u"--scheme"_s, u"3"_s,
                          u"--m1"_s, u"BIGM1"_s, u"--przm1"_s, u"0.4"_s, u"--m2"_s, u"BIGM2"_s, u"--przm2"_s, u"0.1"_s});
        Ok(InstallDir(), {u"project"_s, u"create"_s, u"--substance"_s, u"BIGP"_s, u"--name"_s, u"BIG"_s, u"--crop"_s,
                          u"Vegetables, leafy"_s, u"--root"_s, ProjectsRoot()});
        {
            // A description to test the rows' JSON: quotes, a backslash, control characters, an accent
            // and a character beyond the basic plane.
            TConnection db;
            db.Open(InstallDir() + u"/data/kelvo_db.sqlite"_s);
            db.Execute(u"UPDATE Projects SET Description = ? WHERE Name = 'BIG'"_s,
                       {u"\"big\" C:\\ new\nline\ttab \u00e9 \U0001F600"_s});
        }
        Ok(InstallDir(), {u"project"_s, u"export"_s, u"BIG"_s});
        Ok(InstallDir(), {u"project"_s, u"archive"_s, u"BIG"_s, Archive()});
    }

    // The project's rows of every table, keys and all, as text.
    QStringList ProjectRows(const QString& installation, const QString& name) {
        TConnection db;
        db.Open(installation + u"/data/kelvo_db.sqlite"_s);
        const QString id = u"(SELECT ProjectID FROM Projects WHERE Name = '%1')"_s.arg(name);
        const QString runs = u"(SELECT RunID FROM Runs WHERE ProjectID = %1)"_s.arg(id);
        const QString schemes = u"(SELECT ApplicationSchemeID FROM Runs WHERE ProjectID = %1)"_s.arg(id);
        const QStringList queries = {
            u"SELECT * FROM Projects WHERE ProjectID = %1"_s.arg(id),
            u"SELECT * FROM Runs WHERE ProjectID = %1 ORDER BY RunID"_s.arg(id),
            u"SELECT * FROM Applications WHERE RunID IN %1 ORDER BY RunID, ApplicationNr"_s.arg(runs),
            u"SELECT * FROM SimulationParameters WHERE RunID IN %1 ORDER BY RunID"_s.arg(runs),
            u"SELECT * FROM ApplicationSchemes WHERE ApplicationSchemeID IN %1 ORDER BY 1"_s.arg(schemes),
            u"SELECT * FROM ToxswaApplications WHERE SchemeID IN %1 ORDER BY 1, 2"_s.arg(schemes),
            u"SELECT m.* FROM ToxswaMap m JOIN MapxProject x USING (MapID) WHERE x.ProjectID = %1"_s.arg(id)};
        QStringList rows;
        for (const QString& sql : queries)
            for (const TSqlRow& row : db.Select(sql).rows) {
                QStringList values;
                for (const QVariant& v : row)
                    values << (v.isNull() ? u"NULL"_s : v.toString());
                rows << values.join(u'|');
            }
        db.Close();
        return rows;
    }

    int ProjectCount(const QString& installation) {
        TConnection db;
        db.Open(installation + u"/data/kelvo_db.sqlite"_s);
        const int n = db.Select(u"SELECT COUNT(*) FROM Projects"_s).rows[0][0].toInt();
        db.Close();
        return n;
    }

    QTemporaryDir second;
    QTemporaryDir archives;
};

const QStringList ModelFiles = {u"TOXSWA/"_s, u"PRZM/"_s, u"MACRO/"_s, u"BIG_report.txt"_s};

// A model file as compared: a report's creation minute ("* Creation    : 11-Dec-2026, 10:45") is the
// export's own.
QByteArray Compared(const QString& file, const QByteArray& bytes) {
    if (!file.endsWith(u"_report.txt"_s)) return bytes;
    static const QRegularExpression created(u"(\\* Creation +: )[^\\r\\n]*"_s);
    return QString::fromUtf8(bytes).replace(created, u"\\1(the export's minute)"_s).toUtf8();
}

TEST_F(ArchiveCliTest, LargestProjectRestoredElsewhereExportsTheSameModelFiles) {
    MakeBigProject();
    const QString verified = Ok(InstallDir(), {u"archive"_s, u"verify"_s, Archive()}).out;
    EXPECT_TRUE(verified.contains(u"every checksum right"_s)) << verified.toStdString();
    const QJsonObject manifest =
        QJsonDocument::fromJson(Ok(InstallDir(), {u"--json"_s, u"archive"_s, u"verify"_s, Archive()}).out.toUtf8())
            .object()[u"manifest"_s]
            .toObject();
    EXPECT_EQ(u"BIG"_s, manifest[u"project"_s].toString());
    EXPECT_TRUE(manifest.contains(u"schemaVersion"_s) && manifest.contains(u"models"_s) &&
                manifest.contains(u"kelvo"_s) && manifest.contains(u"created"_s));

    // The original folder moves aside, so that the restored project lies where it lay.
    const QString directory = ProjectsRoot() + u"/BIG"_s;
    const QMap<QString, QByteArray> archived = Files(directory);
    QStringList archivedModelFiles;
    for (auto it = archived.begin(); it != archived.end(); ++it)
        if (std::any_of(ModelFiles.begin(), ModelFiles.end(), [&](const QString& p) { return it.key().startsWith(p); }))
            archivedModelFiles << it.key();
    // The report and the PRZM run files of both crop seasons (MACRO's runs go into its database).
    ASSERT_GE(archivedModelFiles.size(), 3) << archivedModelFiles.join(u' ').toStdString();
    const QStringList rows = ProjectRows(InstallDir(), u"BIG"_s);
    const QString substances = Ok(InstallDir(), {u"substance"_s, u"export"_s, u"BIGP"_s, u"BIGM1"_s, u"BIGM2"_s,
                                                 archives.filePath(u"a.json"_s)}).out;
    ASSERT_TRUE(QDir().rename(directory, ProjectsRoot() + u"/BIG.orig"_s));

    Ok(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot()});
    EXPECT_EQ(rows, ProjectRows(Second(), u"BIG"_s));
    Ok(Second(), {u"substance"_s, u"export"_s, u"BIGP"_s, u"BIGM1"_s, u"BIGM2"_s, archives.filePath(u"b.json"_s)});
    EXPECT_EQ(ReadAll(archives.filePath(u"a.json"_s)), ReadAll(archives.filePath(u"b.json"_s)));
    QMap<QString, QByteArray> restored = Files(directory);
    EXPECT_TRUE(restored.contains(u".kelvo-project"_s)) << "marked as the restored project's folder";
    restored.remove(u".kelvo-project"_s);
    QMap<QString, QByteArray> original = archived;
    original.remove(u".kelvo-project"_s);
    EXPECT_EQ(original.keys(), restored.keys());
    EXPECT_TRUE(original == restored);

    // Exported again in the second installation: the same model files, byte for byte.
    Ok(Second(), {u"project"_s, u"export"_s, u"BIG"_s});
    const QMap<QString, QByteArray> again = Files(directory, {u".kelvo-previous"_s});
    for (const QString& file : archivedModelFiles) {
        ASSERT_TRUE(again.contains(file)) << file.toStdString();
        EXPECT_EQ(Compared(file, archived.value(file)), Compared(file, again.value(file))) << file.toStdString();
    }
    EXPECT_TRUE(Compared(u"BIG_report.txt"_s, archived.value(u"BIG_report.txt"_s)).contains("(the export's minute)"));

    // Restored again: the name is taken; under a new name its keys are new and its substances reused.
    const TRun twice = Cli(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot()});
    EXPECT_EQ(1, twice.exitCode);
    EXPECT_TRUE(twice.err.contains(u"A project named BIG exists already"_s)) << twice.err.toStdString();
    // A row another project left behind holds its run number too; only IDs beginning with five digits
    // or more count, and only numbers of the usual size.
    TConnection db;
    db.Open(Second() + u"/data/kelvo_db.sqlite"_s);
    for (const QString& id : {u"99990_left"_s, u"123"_s, u"99999999999999_huge"_s, u"12ab3"_s})
        db.Execute(u"INSERT INTO SimulationParameters (RunID) VALUES (?)"_s, {id});
    db.Close();
    Ok(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot(), u"--name"_s, u"BIG2"_s});
    EXPECT_EQ(rows.size(), ProjectRows(Second(), u"BIG2"_s).size());
    db.Open(Second() + u"/data/kelvo_db.sqlite"_s);
    EXPECT_EQ(99991, db.Select(u"SELECT MIN(CAST(RunID AS INTEGER)) FROM Runs JOIN Projects USING (ProjectID) "
                               u"WHERE Projects.Name = 'BIG2'"_s)
                         .rows[0][0]
                         .toInt());
    db.Close();
    EXPECT_TRUE(QFileInfo::exists(ProjectsRoot() + u"/BIG2/BIG2_report.txt"_s));
    EXPECT_EQ(2, ProjectCount(Second()));
}

// A bad archive is refused with one message, by verify and by restore, and nothing is written.
TEST_F(ArchiveCliTest, BadArchivesAreRefusedWithNothingWritten) {
    MakeBigProject();
    const QByteArray good = ReadAll(Archive());
    const QVector<TZipEntry> entries = ReadZip(good);
    ASSERT_GT(entries.size(), 3);
    const auto changed = [&](const std::function<void(QVector<TZipEntry>&)>& change) {
        QVector<TZipEntry> copy = entries;
        change(copy);
        return WriteZip(copy);
    };
    const auto manifestWith = [&](const std::function<void(QJsonObject&)>& change) {
        return changed([&](QVector<TZipEntry>& copy) {
            for (TZipEntry& e : copy)
                if (e.path == u"manifest.json"_s) {
                    QJsonObject m = QJsonDocument::fromJson(e.data).object();
                    change(m);
                    e.data = QJsonDocument(m).toJson();
                }
        });
    };
    // A hostile entry listed in the manifest with its right checksum, so only its path refuses it.
    const auto hostile = [&](const TZipEntry& entry) {
        QVector<TZipEntry> copy = entries;
        for (TZipEntry& e : copy)
            if (e.path == u"manifest.json"_s) {
                QJsonObject m = QJsonDocument::fromJson(e.data).object();
                QJsonObject files = m[u"files"_s].toObject();
                files.insert(entry.path, QString::fromLatin1(
                                             QCryptographicHash::hash(entry.data, QCryptographicHash::Sha256).toHex()));
                m[u"files"_s] = files;
                e.data = QJsonDocument(m).toJson();
            }
        copy << entry;
        return WriteZip(copy);
    };
    struct TCase {
        const char* name;
        QByteArray zip;
        QString message;
    };
    const TCase cases[] = {
        {"damaged", good.left(good.size() / 2), u"the archive is damaged"_s},
        {"not a zip", QByteArray("just text\n"), u"the archive is damaged"_s},
        {"altered file", changed([](QVector<TZipEntry>& c) {
             for (TZipEntry& e : c)
                 if (e.path == u"project.json"_s) e.data.replace("BIG", "BAG");
         }),
         u"project.json differs from its checksum in the manifest"_s},
        {"missing file", changed([](QVector<TZipEntry>& c) {
             c.erase(std::remove_if(c.begin(), c.end(), [](const TZipEntry& e) { return e.path == u"substances.json"_s; }),
                     c.end());
         }),
         u"substances.json is missing"_s},
        {"newer schema", manifestWith([](QJsonObject& m) { m[u"schemaVersion"_s] = 99; }),
         u"the archive was made by a newer Kelvo (scenario database schema version 99"_s},
        {"parent folder", hostile({u"../evil.txt"_s, "x", {}}), u"the path ../evil.txt would leave the project directory"_s},
        {"inner parent folder", hostile({u"files/../../evil.txt"_s, "x", {}}),
         u"the path files/../../evil.txt would leave the project directory"_s},
        {"absolute path", hostile({u"/tmp/evil.txt"_s, "x", {}}), u"the path /tmp/evil.txt would leave the project directory"_s},
        {"link", hostile({u"files/TOXSWA/link"_s, {}, u"/etc/passwd"_s}), u"files/TOXSWA/link is a link, not a file"_s},
    };
    ASSERT_TRUE(QDir().rename(ProjectsRoot() + u"/BIG"_s, ProjectsRoot() + u"/BIG.orig"_s));
    for (const TCase& c : cases) {
        const QString file = Archive(u"bad.kelvo.zip"_s);
        WriteAll(file, c.zip);
        const QString expected = file + u": "_s + c.message;
        const TRun verify = Cli(InstallDir(), {u"archive"_s, u"verify"_s, file});
        EXPECT_EQ(1, verify.exitCode) << c.name;
        EXPECT_TRUE(verify.err.startsWith(expected)) << c.name << ": " << verify.err.toStdString();
        EXPECT_EQ(1, verify.err.trimmed().count(u'\n') + 1) << c.name << ": one message";
        const TRun restore = Cli(Second(), {u"project"_s, u"restore"_s, file, u"--root"_s, ProjectsRoot()});
        EXPECT_EQ(1, restore.exitCode) << c.name;
        EXPECT_TRUE(restore.err.startsWith(expected)) << c.name << ": " << restore.err.toStdString();
        EXPECT_EQ(0, ProjectCount(Second())) << c.name;
        EXPECT_FALSE(QFileInfo::exists(ProjectsRoot() + u"/BIG"_s)) << c.name;
        EXPECT_FALSE(QFileInfo::exists(archives.filePath(u"evil.txt"_s))) << c.name;
    }
    // Files that cannot be staged refuse the restore as well, after its rows were stored: none stay.
    const QString staging = ProjectsRoot() + u"/.BIG.restoring"_s;
    WriteAll(staging, "in the way");
    const TRun blocked = Cli(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot()});
    EXPECT_EQ(1, blocked.exitCode);
    EXPECT_TRUE(blocked.err.startsWith(u"Cannot create the folder "_s + staging)) << blocked.err.toStdString();
    EXPECT_EQ(0, ProjectCount(Second()));
    EXPECT_FALSE(QFileInfo::exists(ProjectsRoot() + u"/BIG"_s));
    EXPECT_EQ(QByteArray("in the way"), ReadAll(staging)) << "a file Kelvo did not make stays";
    ASSERT_TRUE(QFile::remove(staging));

    // The substances of the second installation are untouched too.
    EXPECT_NE(0, Cli(Second(), {u"substance"_s, u"show"_s, u"BIGP"_s}).exitCode);

    // A different substance of the same code is refused unless renamed.
    Ok(Second(), {u"substance"_s, u"copy"_s, u"EXAMPLE_M1"_s, u"BIGP"_s, u"Other"_s});
    const TRun different = Cli(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot()});
    EXPECT_EQ(1, different.exitCode);
    EXPECT_TRUE(different.err.contains(u"the library has a different substance BIGP: rename it"_s))
        << different.err.toStdString();
    EXPECT_EQ(0, ProjectCount(Second()));
    EXPECT_FALSE(QFileInfo::exists(staging)) << "the files staged meanwhile are gone";
    Ok(Second(), {u"project"_s, u"restore"_s, Archive(), u"--root"_s, ProjectsRoot(), u"--rename"_s});
    TConnection db;
    db.Open(Second() + u"/data/kelvo_db.sqlite"_s);
    EXPECT_EQ(u"c2_BIGP"_s, db.Select(u"SELECT SubstanceCode FROM Projects WHERE Name = 'BIG'"_s).rows.value(0).value(0).toString());
    EXPECT_EQ(u"BIGM1"_s, db.Select(u"SELECT MetSubCode1 FROM Substances WHERE SubstanceCode = 'c2_BIGP'"_s).rows.value(0).value(0).toString());
    db.Close();
}

} // namespace

// A Step 4 project travels with its mitigation: the same rows in the second installation (TOXSWA's input
// rows with their mitigated drift among them), and exported there, the same report.
TEST_F(ArchiveCliTest, AStep4ProjectRestoredElsewhereKeepsItsMitigation) {
    Ok(InstallDir(), {u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"S4"_s,
                      u"--crop"_s, u"Maize"_s, u"--root"_s, ProjectsRoot()});
    Ok(InstallDir(), {u"project"_s, u"mitigate"_s, u"S4"_s, u"--mitigation"_s, u"12.5"_s, u"--reduction"_s, u"75"_s});
    Ok(InstallDir(), {u"project"_s, u"export"_s, u"S4"_s});
    Ok(InstallDir(), {u"project"_s, u"archive"_s, u"S4"_s, Archive(u"S4.kelvo.zip"_s)});
    const QStringList rows = ProjectRows(InstallDir(), u"S4"_s);
    const QString directory = ProjectsRoot() + u"/S4"_s;
    const QMap<QString, QByteArray> archived = Files(directory);
    ASSERT_TRUE(QDir().rename(directory, ProjectsRoot() + u"/S4.orig"_s));

    Ok(Second(), {u"project"_s, u"restore"_s, Archive(u"S4.kelvo.zip"_s), u"--root"_s, ProjectsRoot()});
    EXPECT_EQ(rows, ProjectRows(Second(), u"S4"_s));
    TConnection db;
    db.Open(Second() + u"/data/kelvo_db.sqlite"_s);
    EXPECT_GT(db.Select(u"SELECT COUNT(*) FROM Runs r JOIN Projects p USING (ProjectID) WHERE p.Name = 'S4' "
                        "AND r.BufferDistance = 12.5 AND r.DriftReduction = 75"_s)
                  .rows[0][0]
                  .toInt(),
              0);
    db.Close();

    Ok(Second(), {u"project"_s, u"export"_s, u"S4"_s});
    const QMap<QString, QByteArray> again = Files(directory, {u".kelvo-previous"_s});
    int compared = 0;
    for (auto it = archived.begin(); it != archived.end(); ++it)
        if (it.key().startsWith(u"TOXSWA/"_s) || it.key() == u"S4_report.txt"_s) {
            ++compared;
            EXPECT_EQ(Compared(it.key(), it.value()), Compared(it.key(), again.value(it.key()))) << it.key().toStdString();
        }
    EXPECT_GE(compared, 1);
    EXPECT_TRUE(archived.value(u"S4_report.txt"_s).contains("Step 4 mitigation: buffer 12.5 m, drift reduction 75 %"));
}
