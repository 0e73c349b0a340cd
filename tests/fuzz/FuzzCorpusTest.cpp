// Every file of the fuzz corpus (the seeds and what fuzzing found worth keeping) through every reader.
#include "FuzzReaders.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QStringList CorpusFiles() {
    QStringList files;
    QDirIterator it(QStringLiteral(KELVO_FUZZ_CORPUS_DIR), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

class FuzzCorpusTest : public ::testing::TestWithParam<TFuzzReader> {};

TEST_P(FuzzCorpusTest, ReadsOrRefusesEveryFileWithOneClearMessage) {
    const QStringList files = CorpusFiles();
    ASSERT_GE(files.size(), 30);
    for (const QString& path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        try {
            RunFuzzReader(GetParam(), file.readAll());
        } catch (const TFuzzFinding& finding) {
            ADD_FAILURE() << path.toStdString() << ": " << finding.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzCorpusTest, ::testing::ValuesIn(FuzzReaders()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char** argv) {
    SetUpFuzzing(&argc, &argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
