#include "core/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

QString userSettingsPath(QString *problem)
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/"_s
        + SettingsKeys::Organization + u"/"_s + SettingsKeys::Application + u".conf"_s;
    const QFileInfo file(path);
    if (!file.exists() || file.isFile())
        return path;
    if (problem)
        *problem = u"quotix: the settings file \"%1\" is not a regular file; using the defaults."_s.arg(path);
    // Below the odd file, where nothing can be read or made.
    return path + u"/refused.conf"_s;
}

std::unique_ptr<QSettings> openSettingsFile(const QString &path)
{
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

std::unique_ptr<QSettings> openUserSettings(QString *problem)
{
    return openSettingsFile(userSettingsPath(problem));
}

DisplayMode displayModeFromSetting(const QVariant &value)
{
    return value.toString() == SettingsKeys::SessionMode ? DisplayMode::Session : DisplayMode::Weekly;
}

QString settingForDisplayMode(DisplayMode mode)
{
    return mode == DisplayMode::Session ? QString(SettingsKeys::SessionMode) : QString(SettingsKeys::WeeklyMode);
}

DisplayAs displayAsFromSetting(const QVariant &value)
{
    return value.toString() == SettingsKeys::ShowRemaining ? DisplayAs::Remaining : DisplayAs::Used;
}

QString settingForDisplayAs(DisplayAs as)
{
    return as == DisplayAs::Remaining ? QString(SettingsKeys::ShowRemaining) : QString(SettingsKeys::ShowUsed);
}

Preferences::Preferences(QSettings *settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &Preferences::onFileEvent);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &Preferences::onFileEvent);
    watchFile();
    m_snapshot = snapshot();
}

DisplayMode Preferences::displayMode() const
{
    return displayModeFromSetting(m_settings->value(SettingsKeys::MenuBarDisplayMode));
}

void Preferences::setDisplayMode(DisplayMode mode)
{
    write(SettingsKeys::MenuBarDisplayMode, settingForDisplayMode(mode));
}

DisplayAs Preferences::displayAs() const
{
    return displayAsFromSetting(m_settings->value(SettingsKeys::DisplayAs));
}

void Preferences::setDisplayAs(DisplayAs as)
{
    write(SettingsKeys::DisplayAs, settingForDisplayAs(as));
}

QStringList Preferences::titleLeftOut() const
{
    return m_settings->value(SettingsKeys::TitleLeftOut).toStringList();
}

void Preferences::setTitleLeftOut(const QStringList &ids)
{
    // An empty list would be written as an empty string: remove the key instead.
    if (ids.isEmpty()) {
        m_settings->remove(SettingsKeys::TitleLeftOut);
        saved();
    } else {
        write(SettingsKeys::TitleLeftOut, ids);
    }
}

QList<ExtraAccount> Preferences::accounts() const
{
    return accountsFromSettings(*m_settings);
}

void Preferences::setAccounts(const QList<ExtraAccount> &accounts)
{
    writeAccounts(*m_settings, accounts);
    saved();
}

AlertRules Preferences::alertRules(const QString &providerId) const
{
    return alertRulesFromSettings(*m_settings, providerId);
}

void Preferences::setThresholds(const QString &providerId, const QList<int> &thresholds)
{
    // A list, so the file reads "thresholds=80, 90" as a person would write it.
    QStringList values;
    for (const int threshold : thresholds)
        values.append(QString::number(threshold));
    write(alertSettingKey(providerId, AlertKeys::Thresholds), values);
}

void Preferences::setAlertSwitch(const QString &providerId, QLatin1StringView key, bool on)
{
    write(alertSettingKey(providerId, key), on);
}

void Preferences::write(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    saved();
}

void Preferences::saved()
{
    errno = 0;
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError && !m_saveFailureTold) {
        const int error = errno;
        m_saveFailureTold = true;
        QString message = QCoreApplication::translate("Tray", "Could not write %1").arg(m_settings->fileName());
        if (error != 0)
            message += u": "_s + QString::fromLocal8Bit(std::strerror(error));
        Q_EMIT saveFailed(message + QCoreApplication::translate("Tray", ". The change lasts until Quotix quits."));
    }
    watchFile(); // the first write may have created the file
    m_snapshot = snapshot();
    Q_EMIT changed();
}

QVariant Preferences::refreshIntervalValue() const
{
    return m_settings->value(SettingsKeys::RefreshInterval);
}

void Preferences::watchFile()
{
    // Editors and QSettings itself replace the file, so the folder is watched too.
    const QFileInfo file(m_settings->fileName());
    if (file.absolutePath().isEmpty())
        return;
    QDir().mkpath(file.absolutePath());
    if (!m_watcher->directories().contains(file.absolutePath()))
        m_watcher->addPath(file.absolutePath());
    if (file.exists() && !m_watcher->files().contains(file.absoluteFilePath()))
        m_watcher->addPath(file.absoluteFilePath());
}

void Preferences::onFileEvent()
{
    watchFile();
    m_settings->sync();
    // Our own writes touch the file as well; only a change of content is announced.
    QVariantMap current = snapshot();
    if (current == m_snapshot)
        return;
    m_snapshot = std::move(current);
    Q_EMIT changed();
}

QVariantMap Preferences::snapshot() const
{
    QVariantMap values;
    const QStringList keys = m_settings->allKeys();
    for (const QString &key : keys)
        values.insert(key, m_settings->value(key));
    return values;
}
