#include "foundation/Utils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void WriteFile(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

TEST(DeleteDirectoryTree, DeletesEverythingBelowButNotBehindLinks) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QDir root(temp.path());
    ASSERT_TRUE(root.mkpath(u"tree/sub/deeper"_s));
    ASSERT_TRUE(root.mkpath(u"tree/.hidden dir"_s));
    ASSERT_TRUE(root.mkpath(u"outside"_s));
    for (const QString& file : {u"tree/a.txt"_s, u"tree/.hidden"_s, u"tree/sub/deeper/b.txt"_s,
                                u"tree/.hidden dir/c"_s, u"outside/kept.txt"_s})
        WriteFile(root.filePath(file));
    ASSERT_TRUE(QFile::link(root.filePath(u"outside"_s), root.filePath(u"tree/sub/link"_s)));
    ASSERT_TRUE(QFile(root.filePath(u"tree/a.txt"_s)).setPermissions(QFile::ReadOwner));

    EXPECT_TRUE(DeleteDirectoryTree(root.filePath(u"tree"_s)));
    EXPECT_FALSE(root.exists(u"tree"_s));
    EXPECT_TRUE(QFile::exists(root.filePath(u"outside/kept.txt"_s)));
}

TEST(DeleteDirectoryTree, MissingDirectory) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QDir root(temp.path());
    WriteFile(root.filePath(u"plain.txt"_s));

    EXPECT_FALSE(DeleteDirectoryTree(root.filePath(u"missing"_s)));
    EXPECT_FALSE(DeleteDirectoryTree(root.filePath(u"plain.txt"_s)));
    EXPECT_TRUE(QFile::exists(root.filePath(u"plain.txt"_s)));
}

TEST(RunAndWait, AnswersWhetherTheProgramStarted) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    EXPECT_TRUE(RunAndWait(u"/bin/true"_s, u""_s, temp.path()));
    EXPECT_TRUE(RunAndWait(u"/bin/false"_s, u" "_s, temp.path()));
    EXPECT_FALSE(RunAndWait(temp.filePath(u"missing"_s), u""_s, temp.path()));
    EXPECT_FALSE(RunAndWait(u"/bin/true"_s, u""_s, temp.filePath(u"missing"_s)));
}

TEST(RunAndWait, WaitsForTheEndInTheWorkingDirectoryHandlingEvents) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QObject context;
    bool handled = false;
    QTimer::singleShot(0, &context, [&] { handled = true; });

    EXPECT_TRUE(RunAndWait(u"/bin/sh"_s, u"-c \"sleep 1.2; pwd > 'out file'\""_s, temp.path()));

    EXPECT_TRUE(handled);
    QFile out(QDir(temp.path()).filePath(u"out file"_s));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDir(QString::fromLocal8Bit(out.readAll().trimmed())).canonicalPath(),
              QDir(temp.path()).canonicalPath());
}
