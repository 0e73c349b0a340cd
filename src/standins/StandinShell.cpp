// A stand-in for the shell programs of the three models (MACRO_Focus.exe, pfsw.exe, TOXSWA_GUI.exe):
// a small window that says which model it stands in for, to be closed by the user. As TOXSWA_GUI.exe it
// listens as "TOXSWA" while it runs, so Kelvo can tell that a TOXSWA shell is running.

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

QString ModelOf(const QString& programName) {
    const QString name = programName.toLower();
    if (name == u"macro_focus.exe"_s) return u"MACRO"_s;
    if (name == u"pfsw.exe"_s) return u"PRZM"_s;
    if (name == u"toxswa_gui.exe"_s) return u"TOXSWA"_s;
    return {};
}

// Listens under a name unless another program already answers there; a stale socket is removed.
void ListenAs(QLocalServer& server, const QString& name) {
    if (server.listen(name)) return;
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500)) return;
    QLocalServer::removeServer(name);
    server.listen(name);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString model = ModelOf(program);

    QWidget window;
    window.setObjectName(u"frmStandin"_s);
    window.setWindowTitle(model.isEmpty() ? u"Model shell stand-in"_s : u"%1 shell stand-in"_s.arg(model));
    auto* layout = new QVBoxLayout(&window);
    auto* text = new QLabel(&window);
    text->setObjectName(u"lblModel"_s);
    text->setText(
        model.isEmpty()
            ? u"%1 stands in for a model shell of Kelvo. It runs no model."_s.arg(program)
            : u"%1 stands in for the %2 shell. It runs no model; close it to go back to Kelvo."_s.arg(program,
                                                                                                      model));
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* close = new QPushButton(u"Close"_s, &window);
    close->setObjectName(u"btnClose"_s);
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    layout->addWidget(close);

    QLocalServer server;
    if (model == u"TOXSWA"_s) {
        ListenAs(server, u"TOXSWA"_s);
        // Someone asking for the TOXSWA shell gets its window brought to the front.
        QObject::connect(&server, &QLocalServer::newConnection, &window, [&server, &window] {
            while (QLocalSocket* socket = server.nextPendingConnection()) {
                socket->disconnectFromServer();
                socket->deleteLater();
            }
            window.showNormal();
            window.raise();
            window.activateWindow();
        });
    }

    window.resize(420, 120);
    window.show();
    return app.exec();
}
