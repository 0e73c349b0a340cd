#pragma once

class QListWidget;

// The move buttons of the user-defined wizard's two-list pages.

// ">" and "<": every selected entry of the source goes to the end of the destination (a sorting list
// places it in order), walking the source from its last entry to its first; then the source has the
// focus and the entry at the position of the first selected one is selected (0 when none was selected,
// the last when the list has become shorter).
void MoveSelectedEntries(QListWidget& source, QListWidget& destination);

// ">>" and "<<": every entry of the source, first to last, goes to the destination; the source has the
// focus.
void MoveAllEntries(QListWidget& source, QListWidget& destination);
