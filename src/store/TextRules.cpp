#include "store/TextRules.h"

#include "foundation/Errors.h"

using namespace Qt::Literals::StringLiterals;

void CheckSingleLineText(const QString& text, const QString& what) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            throw EKelvoError(
                u"%1 cannot hold a line break, tab or other control character (character %2)."_s.arg(what).arg(
                    u"U+%1"_s.arg(static_cast<int>(c.unicode()), 4, 16, QChar(u'0')).toUpper()));
}

void CheckSubstanceCodeCharacters(const QString& code) {
    CheckSingleLineText(code, u"Substance Code"_s);
    for (const QChar c : code)
        if (c.unicode() > 0xff || (c.unicode() >= 0x7f && c.unicode() < 0xa0))
            throw EKelvoError(u"Substance Code '%1' holds the character '%2', which the PRZM files cannot "
                              u"hold: use letters, digits and signs of Western European languages."_s.arg(code, QString(c)));
}
