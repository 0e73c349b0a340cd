#pragma once

#include <QString>

class QWidget;

// The help system. "KELVO.HLP" in the program directory is an HTML file with one anchor per help context
// (<a name="ctx-17">) and a table of contents (<a name="contents">); it is shown in the help window.

// The dynamic property that carries a window's or page's help context.
inline constexpr char HelpContextProperty[] = "helpContext";

// Gives a window, or a page of a tab or stacked widget, its help context (0: none).
void SetHelpContext(QWidget* widget, int context);
// The help context that applies to a widget: the first one found from the widget up to its window,
// where a tab or stacked widget answers with its current page's context.
int HelpContextFor(const QWidget* widget);

// The help file of the program directory.
QString HelpFileName();
// The same help under an .html name, for the user's browser.
QString HelpPageFileName();
// Opens the help window at a help context; 0, or a context the file lacks, opens the contents.
// A missing or damaged help file gives a warning.
void ShowHelp(int context);
void ShowHelpContents();

// Makes F1 open the help window at the context of the focused widget (or of the active window).
void InstallHelpKey();
