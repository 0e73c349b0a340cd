#pragma once

#include <QString>
#include <functional>

class QBoxLayout;
class QWidget;
class TdmKelvoADO;

// "Export..." and "Import..." of the substance editor: the library to and from a substance file (CSV
// or JSON) through the core's exchange, added to the editor's row of buttons.
struct TSubstanceEditorHooks {
    // The code of the current substance; empty without one.
    std::function<QString()> currentCode;
    // Whether the current substance holds a change not yet saved.
    std::function<bool()> modified;
};
void AddSubstanceFileButtons(QWidget* window, TdmKelvoADO& dm, QBoxLayout* buttons, TSubstanceEditorHooks hooks);
