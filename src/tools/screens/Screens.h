#pragma once

#include <QString>
#include <functional>

class QWidget;
class TdmKelvoADO;
class TdmMacroADO;

// What every group of screens gets: the data modules open on a fresh working installation that holds
// the example project, and where the pictures go.
struct TScreenContext {
    TdmKelvoADO& dm;
    TdmMacroADO& macro;
    QString exampleProject; // the name of the example project (FOCUS wizard, EXAMPLE_P on Maize)
    QString outputDir;
    int saved = 0;

    // Shows the window at its size, lets it settle and saves it as <name>.png.
    void Save(QWidget* window, const QString& name);
};

// Registers a group of screens; each file of this folder holds one static registrar:
//   const TScreensRegistrar registrar(u"app"_s, [](TScreenContext& context) { ... });
class TScreensRegistrar {
public:
    TScreensRegistrar(const QString& group, std::function<void(TScreenContext&)> render);
};
