#include "platform/linux/XdgAutostartService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The keys of the [Desktop Entry] group, later lines winning.
QHash<QString, QString> readDesktopEntry(const QString &path)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]"_s;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inEntry && equals > 0)
            values.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return values;
}

// A value in the desktop file's string syntax.
QString escapedString(const QString &value)
{
    QString escaped;
    for (QChar c : value) {
        if (c == u'\\')
            escaped += u"\\\\"_s;
        else if (c == u'\n')
            escaped += u"\\n"_s;
        else if (c == u'\t')
            escaped += u"\\t"_s;
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString desktopExecArgument(const QString &argument)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    const bool needsQuotes = argument.isEmpty()
        || std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return reserved.contains(c); });

    QString quoted;
    if (needsQuotes) {
        quoted += u'"';
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = argument;
    }

    // Then the file's own string escapes, and "%" that field codes would claim.
    return escapedString(quoted).replace(u'%', u"%%"_s);
}

XdgAutostartService::XdgAutostartService(QString folder, QString executable)
    : m_folder(std::move(folder))
    , m_executable(std::move(executable))
{}

QString XdgAutostartService::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/autostart"_s;
}

QString XdgAutostartService::entryPath() const
{
    return m_folder + u"/quotix.desktop"_s;
}

bool XdgAutostartService::isEnabled() const
{
    if (!QFileInfo(entryPath()).isFile())
        return false;
    // An empty or unreadable entry, or one cut off by a full disk, starts nothing.
    const QHash<QString, QString> entry = readDesktopEntry(entryPath());
    if (entry.value(u"Exec"_s).isEmpty())
        return false;
    if (entry.value(u"Hidden"_s).compare(u"true"_s, Qt::CaseInsensitive) == 0)
        return false;
    if (entry.value(u"X-GNOME-Autostart-enabled"_s).compare(u"false"_s, Qt::CaseInsensitive) == 0)
        return false;
    return true;
}

std::optional<QString> XdgAutostartService::registerItem()
{
    if (const QFileInfo folder(m_folder); folder.exists() && !folder.isDir())
        return QCoreApplication::translate("Tray", "%1 is not a folder").arg(m_folder);
    if (!QDir().mkpath(m_folder))
        return QCoreApplication::translate("Tray", "cannot create the folder %1").arg(m_folder);

    // Written whole or not at all: a half-written entry would start nothing.
    // Unbuffered, because a buffered QSaveFile commits an empty file when the
    // disk is full (Qt 6.4): the write itself must report the failure.
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QString entry = u"[Desktop Entry]\n"
                          u"Type=Application\n"
                          u"Name=Quotix\n"
                          u"Comment=Usage limits of Claude and ChatGPT subscriptions in the tray\n"
                          u"Exec=%1\n"
                          // Once the package is removed, the entry the user
                          // keeps starts nothing instead of failing at each login.
                          u"TryExec=%2\n"
                          u"Icon=quotix\n"
                          u"Terminal=false\n"
                          u"X-GNOME-Autostart-enabled=true\n"_s.arg(desktopExecArgument(m_executable),
                                                                       escapedString(m_executable));
    const QByteArray bytes = entry.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    QFile written(entryPath());
    if (!written.open(QIODevice::ReadOnly) || written.readAll() != bytes)
        return QCoreApplication::translate("Tray", "the entry %1 did not keep what was written").arg(entryPath());
    return std::nullopt;
}

std::optional<QString> XdgAutostartService::unregisterItem()
{
    QFile file(entryPath());
    if (!file.exists())
        return std::nullopt;
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}
