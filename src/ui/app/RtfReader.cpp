#include "ui/app/RtfReader.h"

#include "foundation/Errors.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRtfState {
    bool bold = false;
    bool italic = false;
    int halfPoints = 24;
    bool skip = false; // inside a destination that carries no text
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class TRtfParser {
public:
    TRtfParser(const QByteArray& rtf, QTextDocument* document) : m_rtf(rtf), m_cursor(document) {}

    void Run() {
        if (!m_rtf.trimmed().startsWith("{\\rtf"))
            throw EKelvoError(u"line 1: the text is not in rich text format"_s);
        m_cursor.document()->clear();
        m_cursor = QTextCursor(m_cursor.document());
        m_cursor.setBlockFormat(m_block);
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf[m_pos++];
            if (c == '{') {
                m_stack.push_back(m_state);
                m_groupStart = true;
                continue;
            }
            const bool groupStart = m_groupStart;
            m_groupStart = false;
            if (c == '}') {
                if (m_stack.isEmpty()) Fail(u"a group closes that was never opened"_s);
                Flush();
                m_state = m_stack.takeLast();
            } else if (c == '\\') {
                ControlSymbol(groupStart);
            } else if (c != '\r' && c != '\n') {
                Text(QChar::fromLatin1(c));
            }
        }
        if (!m_stack.isEmpty()) Fail(u"%1 group(s) are never closed"_s.arg(m_stack.size()));
        Flush();
    }

private:
    // Raises the problem with the line it was found on.
    [[noreturn]] void Fail(const QString& problem) const {
        throw EKelvoError(u"line %1: %2"_s.arg(m_rtf.left(m_pos).count('\n') + 1).arg(problem));
    }

    void ControlSymbol(bool groupStart) {
        if (m_pos >= m_rtf.size()) return;
        const char c = m_rtf[m_pos];
        if (!IsLetter(c)) {
            ++m_pos;
            if (c == '\\' || c == '{' || c == '}')
                Text(QChar::fromLatin1(c));
            else if (c == '\'')
                Hex();
            else if (c == '*')
                m_state.skip = true;
            else if (c == '~')
                Text(QChar(0x00A0));
            else if (c == '-' || c == '_')
                Text(c == '_' ? QChar(0x2011) : QChar(0x00AD));
            else if (c == '\r' || c == '\n')
                Paragraph();
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_rtf.size() && IsLetter(m_rtf[m_pos]))
            ++m_pos;
        const QByteArray word = m_rtf.mid(start, m_pos - start);
        bool hasParameter = false;
        int parameter = 0;
        const qsizetype numberStart = m_pos;
        if (m_pos < m_rtf.size() && (m_rtf[m_pos] == '-' || IsDigit(m_rtf[m_pos]))) {
            ++m_pos;
            while (m_pos < m_rtf.size() && IsDigit(m_rtf[m_pos]))
                ++m_pos;
            parameter = m_rtf.mid(numberStart, m_pos - numberStart).toInt(&hasParameter);
        }
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ') ++m_pos;
        Word(word, hasParameter, parameter, groupStart);
    }

    void Word(const QByteArray& word, bool hasParameter, int parameter, bool groupStart) {
        const bool on = !hasParameter || parameter != 0;
        static const QByteArrayList destinations = {"fonttbl", "colortbl", "stylesheet", "info",     "pict",
                                                    "header",  "footer",   "generator",  "listtable"};
        if (groupStart && destinations.contains(word))
            m_state.skip = true;
        else if (word == "par")
            Paragraph();
        else if (word == "line")
            Text(QChar::LineSeparator);
        else if (word == "tab")
            Text(u'\t');
        else if (word == "pard" || word == "ql")
            SetAlignment(Qt::AlignLeft);
        else if (word == "qc")
            SetAlignment(Qt::AlignHCenter);
        else if (word == "qr")
            SetAlignment(Qt::AlignRight);
        else if (word == "qj")
            SetAlignment(Qt::AlignJustify);
        else if (word == "b")
            SetCharacter([&] { m_state.bold = on; });
        else if (word == "i")
            SetCharacter([&] { m_state.italic = on; });
        else if (word == "fs" && hasParameter && parameter > 0)
            SetCharacter([&] { m_state.halfPoints = parameter; });
        else if (word == "plain")
            SetCharacter([&] { m_state = TRtfState{false, false, 24, m_state.skip}; });
        else if (word == "u" && hasParameter)
            Unicode(parameter);
    }

    template <typename Change> void SetCharacter(Change change) {
        Flush();
        change();
    }

    void SetAlignment(Qt::Alignment alignment) {
        m_block.setAlignment(alignment);
        if (m_cursor.block().text().isEmpty() && m_pending.isEmpty()) m_cursor.setBlockFormat(m_block);
    }

    void Hex() {
        bool ok = false;
        const int code = m_rtf.mid(m_pos, 2).toInt(&ok, 16);
        m_pos += 2;
        if (!ok) return;
        const char byte = static_cast<char>(code);
        QStringDecoder decoder("Windows-1252");
        const QString decoded =
            decoder.isValid() ? decoder.decode(QByteArrayView(&byte, 1)) : QString(QChar::fromLatin1(byte));
        Text(decoded.isEmpty() ? QChar(QChar::ReplacementCharacter) : decoded[0]);
    }

    void Unicode(int code) {
        Text(QChar(static_cast<char16_t>(code < 0 ? code + 65536 : code)));
        // The replacement character that follows for readers without \u.
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == '\\' && m_pos + 1 < m_rtf.size() &&
            m_rtf[m_pos + 1] == '\'')
            m_pos += 4;
        else if (m_pos < m_rtf.size() && m_rtf[m_pos] != '\\' && m_rtf[m_pos] != '{' && m_rtf[m_pos] != '}')
            ++m_pos;
    }

    void Text(QChar c) {
        if (!m_state.skip) m_pending += c;
    }

    void Paragraph() {
        if (m_state.skip) return;
        Flush();
        m_cursor.insertBlock(m_block, Format());
    }

    QTextCharFormat Format() const {
        QTextCharFormat format;
        format.setFontWeight(m_state.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(m_state.italic);
        format.setFontPointSize(m_state.halfPoints / 2.0);
        return format;
    }

    void Flush() {
        if (m_pending.isEmpty()) return;
        m_cursor.insertText(m_pending, Format());
        m_pending.clear();
    }

    const QByteArray& m_rtf;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    QTextBlockFormat m_block;
    TRtfState m_state;
    QVector<TRtfState> m_stack;
    QString m_pending;
    bool m_groupStart = false;
};

} // namespace

void ReadRtf(const QByteArray& rtf, QTextDocument* document) {
    TRtfParser(rtf, document).Run();
}

void ReadRtfFile(const QString& fileName, QTextDocument* document) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot open file \"%1\". %2"_s.arg(fileName, file.errorString()));
    try {
        ReadRtf(file.readAll(), document);
    } catch (const EKelvoError& e) {
        throw EKelvoError(u"%1, %2"_s.arg(fileName, e.Message()));
    }
}
