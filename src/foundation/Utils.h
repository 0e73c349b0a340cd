#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// Day numbers count the days of the reference year 1999: 1 is 1 January, 365 is 31 December. Values
// outside 1..365 are converted like any other (0 is 31 December 1998).
int DateToDayNumber(const QDate& date);
// A time part counts as a fraction of a day; the result is rounded to the nearest day, halves to even.
int DateToDayNumber(const QDateTime& date);
// "dd-mmm": two-digit day, hyphen, the first three letters of the locale's short month name (the
// default locale unless one is given, as files written under the point-decimal switch must).
QString DayNumberToText(int dayNumber, const QLocale& locale = QLocale());
// Reads "d-mmm" or "dd-mmm" in any letter case; anything else raises
// "Invalid date. Use format dd-mmm (e.g. 12-sep)".
int TextToDayNumber(const QString& text);
// The month number (1 to 12) of a three-letter abbreviation as text; empty for an unknown one.
QString MonthNumberOf(const QString& abbreviation);

// The text cut, or filled with blanks on the right, to exactly n characters.
QString PadRight(const QString& text, int n);
// The run number part of a run ID: its first five characters, or all its leading digits when it has
// more than five.
QString RunNumberPart(const QString& runId);
// The value of the run number part; -1 when it is not a decimal integer.
int RunNumberOf(const QString& runId);
// The number with leading zeros to at least five digits, followed by the lower-case seventh character
// of the water body type code when one is given; "xxxxx" when the code is too short.
QString RunNumberText(int number, const QString& code);
// The sort key of a run ID: its run number, water body letter and "_" (seven characters for a
// five-digit number), then 0, 1 or 2 for "pa", "m1" or "m2".
QString ShortRunCode(const QString& runId);
// True when the text is empty or its first four characters are NUL.
bool IsBlankCode(const QString& text);
// Fills the field field[0..highIndex] with blanks and copies the text (Latin-1) to its start,
// without a terminator; a longer text is cut to the field.
void FillFixedField(char* field, int highIndex, const QString& text);
// True when the text holds a character not allowed in codes and names: blank / \ ( ) > < * : " | , . ?
bool HasInvalidNameChar(const QString& text);

// Deletes a directory with everything below it, skipping what cannot be deleted; false when the
// directory does not exist.
bool DeleteDirectoryTree(const QString& path);
// Starts the program in the working directory and waits for its end with the event loop running, so
// windows stay responsive; false when it could not be started. A program that crashes or fails has ended.
bool RunAndWait(const QString& program, const QString& parameters, const QString& workingDirectory);

// Switch the number format of the process (default QLocale and LC_NUMERIC) to a decimal point, and
// back to the format saved on first use. Not stacked: a nested RestoreDecimals restores the saved
// format, not the one of the outer bracket.
void UsePointDecimals();
void RestoreDecimals();

// UsePointDecimals for its lifetime.
class TPointDecimals {
public:
    TPointDecimals() { UsePointDecimals(); }
    ~TPointDecimals() { RestoreDecimals(); }
    TPointDecimals(const TPointDecimals&) = delete;
    TPointDecimals& operator=(const TPointDecimals&) = delete;
};
