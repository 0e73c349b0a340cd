#pragma once

class QAbstractItemView;
class QString;
class QTableView;

// Ctrl+C in a grid copies its selected cells as a block: cells by tabs, rows by line ends, as a
// spreadsheet takes them. Ctrl+V in a grid that takes pastes writes such a block from its current cell.

// The selected cells of the grid as text: the rows and columns that hold a selected cell, in the order
// they show, each cell as shown (a cell of such a row and column that is not selected stays empty);
// the current cell alone where nothing is selected. Hidden rows and columns are left out; no line end
// follows the last row.
QString SelectedCellsText(const QAbstractItemView& grid);
// Puts the grid's selected cells on the clipboard.
void CopySelectedCells(const QAbstractItemView& grid);
// Lets Ctrl+V paste a block into the grid, whose model is a record set model.
void AllowPaste(QTableView& grid);
// Writes the block into the grid from its current cell, to the right and down in the order the cells show:
// each value through its field's setter as typed, each row posted. All or nothing: on the first refused
// cell the rows already written are put back and one message names the cell. Answers whether all was
// written.
bool PasteCells(QTableView& grid, const QString& block);
// Makes Ctrl+C copy the selected cells of every grid of the application, and Ctrl+V paste into the grids
// that take pastes.
void InstallGridClipboard();
