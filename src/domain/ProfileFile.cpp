#include "domain/ProfileFile.h"

#include "domain/ModelFile.h"

#include <QFile>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TProfileFile::TProfileFile(const QString& fileName) : m_fileName(fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']'))
            m_sections.append({line.mid(1, line.size() - 2), {}});
        else if (const qsizetype equals = line.indexOf(u'='); equals > 0 && !m_sections.isEmpty())
            m_sections.last().entries.append({line.left(equals), line.mid(equals + 1)});
    }
}

const TProfileFile::TSection* TProfileFile::Find(const QString& section) const {
    for (const TSection& s : m_sections)
        if (SameName(s.name, section)) return &s;
    return nullptr;
}

bool TProfileFile::HasSection(const QString& section) const {
    return Find(section) != nullptr;
}

bool TProfileFile::HasKey(const QString& section, const QString& key) const {
    if (const TSection* s = Find(section))
        for (const auto& entry : s->entries)
            if (SameName(entry.first, key)) return true;
    return false;
}

QString TProfileFile::Value(const QString& section, const QString& key, const QString& fallback) const {
    if (const TSection* s = Find(section))
        for (const auto& entry : s->entries)
            if (SameName(entry.first, key)) return entry.second;
    return fallback;
}

void TProfileFile::SetValue(const QString& section, const QString& key, const QString& value) {
    auto s = std::find_if(m_sections.begin(), m_sections.end(), [&section](const TSection& candidate) {
        return SameName(candidate.name, section);
    });
    if (s == m_sections.end()) s = m_sections.insert(m_sections.end(), TSection{section, {}});
    for (auto& entry : s->entries)
        if (SameName(entry.first, key)) {
            entry.second = value;
            return;
        }
    s->entries.append({key, value});
}

QStringList TProfileFile::SectionLines(const QString& section) const {
    QStringList lines;
    if (const TSection* s = Find(section))
        for (const auto& entry : s->entries)
            lines << entry.first + u'=' + entry.second;
    return lines;
}

void TProfileFile::Save() const {
    QStringList lines;
    for (const TSection& s : m_sections) {
        lines << u'[' + s.name + u']';
        for (const auto& entry : s.entries)
            lines << entry.first + u'=' + entry.second;
    }
    WriteModelFile(m_fileName, lines);
}
