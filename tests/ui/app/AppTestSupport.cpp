#include "AppTestSupport.h"

#include "foundation/Installation.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

void Poll(std::shared_ptr<std::function<void(QWidget*)>> answer, std::shared_ptr<QElapsedTimer> clock) {
    QTimer::singleShot(10, qApp, [answer, clock] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            (*answer)(modal);
            return;
        }
        if (clock->elapsed() > 5000) {
            ADD_FAILURE() << "no modal window appeared";
            return;
        }
        Poll(answer, clock);
    });
}

} // namespace

void AnswerModal(std::function<void(QWidget*)> answer) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    Poll(std::make_shared<std::function<void(QWidget*)>>(std::move(answer)), clock);
}

QString DataSourceFile(const QString& relativePath) {
    return QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u'/' + relativePath;
}

TProgramDir::TProgramDir() {
    const QDir dir(m_dir.path());
    dir.mkpath(u"data/Maps"_s);
    const QList<std::pair<QString, QString>> files = {
        {u"KELVO.HLP"_s, u"KELVO.HLP"_s},
        {u"KELVO.HLP"_s, u"KELVO.html"_s},
        {u"KelvoIntro.rtf"_s, u"KelvoIntro.rtf"_s},
        {u"geography/europe-outlines.txt"_s, u"data/europe-outlines.txt"_s}};
    for (const auto& [from, to] : files)
        EXPECT_TRUE(QFile::copy(DataSourceFile(from), dir.filePath(to))) << to.toStdString();
    // The empty database the scenario database is checked against.
    const QString scenarioTemplate = u"templates/data/kelvo_db.sqlite"_s;
    dir.mkpath(u"templates/data"_s);
    EXPECT_TRUE(QFile::copy(QString::fromUtf8(KELVO_BUILT_INSTALL_DIR) + u'/' + scenarioTemplate,
                            dir.filePath(scenarioTemplate)));
    SetProgramDir(m_dir.path());
}

TProgramDir::~TProgramDir() {
    SetProgramDir(QString());
}

QString TProgramDir::Path() const {
    return QDir(m_dir.path()).absolutePath() + u'/';
}

QString TProgramDir::File(const QString& relativePath) const {
    return Path() + relativePath;
}

TFileUrlCatcher::TFileUrlCatcher() {
    QDesktopServices::setUrlHandler(u"file"_s, this, "Open");
}

TFileUrlCatcher::~TFileUrlCatcher() {
    QDesktopServices::unsetUrlHandler(u"file"_s);
}

void TFileUrlCatcher::Open(const QUrl& url) {
    urls.append(url);
}
