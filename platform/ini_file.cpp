#include "ini_file.h"

#include "text_codec.h"

#include <QFile>
#include <QFileInfo>

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::exists() const { return QFileInfo(m_path).isFile(); }

QString IniFile::value(const QString& section, const QString& key) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text;
    try {
        text = TextCodec::decodeGuess(file.readAll());
    } catch (...) {
        return {};
    }
    bool inSection = false;
    const auto lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const auto close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const auto eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString v = line.mid(eq + 1).trimmed();
        // The profile functions drop one pair of surrounding quotes.
        if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
                              || (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
            v = v.mid(1, v.size() - 2);
        return v;
    }
    return {};
}
