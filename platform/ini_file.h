#pragma once

#include <QString>

// Reads an INI file with the rules of the Windows profile functions: section and key names match
// without regard to letter case, the first occurrence wins, a missing file, section or key reads
// as the empty text, and the value is trimmed. The file is read anew on every call.
class IniFile {
public:
    explicit IniFile(QString path);
    QString path() const { return m_path; }
    bool exists() const;
    QString value(const QString& section, const QString& key) const;

private:
    QString m_path;
};
