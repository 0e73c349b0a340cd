#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

// A sectioned key-value file ("[section]" and "key=value" lines) kept in file order. Section and key
// names match regardless of letter case; a new key goes to the end of its section, a new section to
// the end of the file.
class TProfileFile {
public:
    // An empty one kept in memory only.
    TProfileFile() = default;
    // Reads the file; a missing file reads as empty.
    explicit TProfileFile(const QString& fileName);

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;
    QString Value(const QString& section, const QString& key, const QString& fallback = {}) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    // The "key=value" lines of a section, in file order.
    QStringList SectionLines(const QString& section) const;
    // Writes the file anew; raises EKelvoError when it cannot be written.
    void Save() const;

private:
    struct TSection {
        QString name;
        QVector<std::pair<QString, QString>> entries;
    };
    const TSection* Find(const QString& section) const;

    QString m_fileName;
    QVector<TSection> m_sections;
};
