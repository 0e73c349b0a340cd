#include "foundation/Utils.h"

#include "foundation/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QEventLoop>
#include <QProcess>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDate referenceDay(1999, 1, 1);

struct TMonth {
    QStringView abbreviation;
    int number;
};

// October reads as "OCT" as well as "OKT": English settings show it as "Oct", and a date the program
// shows must read back.
constexpr TMonth months[] = {
    {u"JAN", 1}, {u"FEB", 2}, {u"MAR", 3},  {u"APR", 4},  {u"MAY", 5},  {u"JUN", 6},  {u"JUL", 7},
    {u"AUG", 8}, {u"SEP", 9}, {u"OKT", 10}, {u"OCT", 10}, {u"NOV", 11}, {u"DEC", 12},
};

bool IsDigits(QStringView text) {
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

// The number format saved on first use, restored by RestoreDecimals.
struct TNumberFormat {
    QLocale locale;
    QByteArray numeric;
};

const TNumberFormat& SavedNumberFormat() {
    static const TNumberFormat saved{QLocale(), QByteArray(std::setlocale(LC_NUMERIC, nullptr))};
    return saved;
}

} // namespace

int DateToDayNumber(const QDate& date) {
    return static_cast<int>(referenceDay.daysTo(date)) + 1;
}

int DateToDayNumber(const QDateTime& date) {
    const double days = static_cast<double>(referenceDay.daysTo(date.date())) +
                        date.time().msecsSinceStartOfDay() / 86400000.0;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    return static_cast<int>(std::nearbyint(days + 1.0));
}

QString DayNumberToText(int dayNumber, const QLocale& locale) {
    const QDate date = referenceDay.addDays(dayNumber - 1);
    // Some locales abbreviate with four letters or a trailing dot ("Sept", "Okt."); the date column
    // of the runs and the report is six characters wide.
    const QString month = locale.monthName(date.month(), QLocale::ShortFormat).left(3);
    return u"%1-%2"_s.arg(date.day(), 2, 10, QChar(u'0')).arg(month);
}

int TextToDayNumber(const QString& text) {
    const qsizetype length = text.size();
    const qsizetype hyphen = text.indexOf(u'-') + 1;
    if ((length == 5 || length == 6) && hyphen > 0 && length - hyphen == 3) {
        const QStringView day = QStringView(text).left(hyphen - 1);
        const QString month = MonthNumberOf(text.mid(hyphen));
        if (IsDigits(day) && !month.isEmpty()) {
            const QDate date(1999, month.toInt(), day.toInt());
            if (date.isValid()) return DateToDayNumber(date);
        }
    }
    throw EKelvoError(u"Invalid date. Use format dd-mmm (e.g. 12-sep)"_s);
}

QString MonthNumberOf(const QString& abbreviation) {
    const QString upper = abbreviation.toUpper();
    for (const TMonth& month : months) {
        if (month.abbreviation == upper) return QString::number(month.number);
    }
    return {};
}

QString PadRight(const QString& text, int n) {
    if (n <= 0) return {};
    return text.leftJustified(n, u' ', true);
}

// Run numbers have five digits until they outgrow them: a run ID then begins with all its digits.
QString RunNumberPart(const QString& runId) {
    qsizetype digits = 0;
    while (digits < runId.size() && runId.at(digits) >= u'0' && runId.at(digits) <= u'9')
        ++digits;
    return runId.left(std::max<qsizetype>(digits, 5));
}

int RunNumberOf(const QString& runId) {
    const QString digits = RunNumberPart(runId);
    bool ok = false;
    const int number = digits.toInt(&ok);
    return IsDigits(digits) && ok ? number : -1;
}

QString RunNumberText(int number, const QString& code) {
    QString text = QString::number(number).rightJustified(5, u'0');
    if (!code.isEmpty()) {
        if (code.size() < 7) return u"xxxxx"_s;
        text += code.at(6).toLower();
    }
    return text;
}

QString ShortRunCode(const QString& runId) {
    const qsizetype number = RunNumberPart(runId).size();
    const QString code = runId.left(number + 2);
    const QStringView suffix = QStringView(runId).mid(number + 2, 2);
    if (suffix == u"pa") return code + u'0';
    if (suffix == u"m1") return code + u'1';
    if (suffix == u"m2") return code + u'2';
    return code;
}

bool IsBlankCode(const QString& text) {
    for (qsizetype i = 0; i < 4 && i < text.size(); ++i) {
        if (text.at(i) != QChar(u'\0')) return false;
    }
    return true;
}

void FillFixedField(char* field, int highIndex, const QString& text) {
    const qsizetype width = highIndex + 1;
    std::memset(field, ' ', static_cast<size_t>(width));
    const QByteArray bytes = text.toLatin1();
    std::memcpy(field, bytes.constData(), static_cast<size_t>(std::min(bytes.size(), width)));
}

bool HasInvalidNameChar(const QString& text) {
    static const QString invalid = u" /\\()><*:\"|,.?"_s;
    for (QChar c : text) {
        if (invalid.contains(c)) return true;
    }
    return false;
}

bool DeleteDirectoryTree(const QString& path) {
    if (!QFileInfo(path).isDir()) return false;
    // Goes on past entries it cannot delete; symbolic links are deleted, never followed.
    QDir(path).removeRecursively();
    return true;
}

bool RunAndWait(const QString& program, const QString& parameters, const QString& workingDirectory) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(QProcess::splitCommand(parameters));
    process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted()) return false;
    // The event loop runs (windows repaint, timers fire) until the program ends; no polling.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning) loop.exec();
    return true;
}

void UsePointDecimals() {
    SavedNumberFormat();
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_NUMERIC, "C");
}

void RestoreDecimals() {
    const TNumberFormat& saved = SavedNumberFormat();
    QLocale::setDefault(saved.locale);
    std::setlocale(LC_NUMERIC, saved.numeric.constData());
}
