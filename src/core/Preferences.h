#pragma once

#include "core/Accounts.h"
#include "core/AlertRules.h"
#include "core/TranslatableText.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QFileSystemWatcher;
class QSettings;

// Which limit the tray shows per provider.
enum class DisplayMode {
    Session, // stored as "session", the five-hour window
    Weekly,  // stored as "weekly"; also the default and any other stored text
};

// Whether the faces show the used share of a limit or what is left of it.
enum class DisplayAs {
    Used,      // stored as "used"; also the default and any other stored text
    Remaining, // stored as "remaining"
};

namespace SettingsKeys {
inline constexpr QLatin1StringView Organization{"Quotix"};
inline constexpr QLatin1StringView Application{"Quotix"};
inline constexpr QLatin1StringView RefreshInterval{"refreshInterval"};
inline constexpr QLatin1StringView MenuBarDisplayMode{"menuBarDisplayMode"};
inline constexpr QLatin1StringView SessionMode{"session"};
inline constexpr QLatin1StringView WeeklyMode{"weekly"};
inline constexpr QLatin1StringView DisplayAs{"displayAs"};
inline constexpr QLatin1StringView ShowUsed{"used"};
inline constexpr QLatin1StringView ShowRemaining{"remaining"};
inline constexpr QLatin1StringView TitleLeftOut{"titleLeftOut"};
} // namespace SettingsKeys

// Where the user's settings file is: $XDG_CONFIG_HOME/Quotix/Quotix.conf (the
// platform's config folder elsewhere). Something else standing there, such as
// a FIFO that would block every read, is refused: problem tells the user, and
// the path returned then reads as empty and takes no writes, so the defaults
// apply.
QString userSettingsPath(QString *problem);

// The settings at path, in the one format every Quotix program uses: INI on
// every platform. macOS's native store would keep the tray's choices (extra
// accounts among them) from its checking children and from quotix status.
std::unique_ptr<QSettings> openSettingsFile(const QString &path);
// The user's settings, as the tray, its checks and quotix status all read them.
std::unique_ptr<QSettings> openUserSettings(QString *problem);

DisplayMode displayModeFromSetting(const QVariant &value);
QString settingForDisplayMode(DisplayMode mode);
DisplayAs displayAsFromSetting(const QVariant &value);
QString settingForDisplayAs(DisplayAs as);

// The user's settings with one change signal: for writes made here and for
// edits of the settings file made by anyone else.
class Preferences : public QObject
{
    Q_OBJECT
public:
    // settings must outlive this object.
    explicit Preferences(QSettings *settings, QObject *parent = nullptr);

    DisplayMode displayMode() const;
    void setDisplayMode(DisplayMode mode);
    DisplayAs displayAs() const;
    void setDisplayAs(DisplayAs as);
    QVariant refreshIntervalValue() const;
    // The ids of the providers and accounts the tray title leaves out; none
    // by default, so a provider that appears later shows.
    QStringList titleLeftOut() const;
    void setTitleLeftOut(const QStringList &ids);
    QList<ExtraAccount> accounts() const;
    void setAccounts(const QList<ExtraAccount> &accounts);

    // One provider's alerts, as the settings file and the panel set them.
    AlertRules alertRules(const QString &providerId) const;
    // thresholds: ascending, each 1…100 once (see parseThresholds).
    void setThresholds(const QString &providerId, const QList<int> &thresholds);
    // key: one of AlertKeys' switches.
    void setAlertSwitch(const QString &providerId, QLatin1StringView key, bool on);

    static constexpr TranslatableText SaveFailedTitle{"Tray", QT_TRANSLATE_NOOP("Tray", "Settings not saved")};

Q_SIGNALS:
    void changed();
    // The first write that did not reach the settings file, for a notification:
    // the change holds until Quotix quits.
    void saveFailed(const QString &message);

private:
    void write(const QString &key, const QVariant &value);
    void saved();
    void watchFile();
    void onFileEvent();
    QVariantMap snapshot() const;

    QSettings *m_settings;
    QFileSystemWatcher *m_watcher;
    QVariantMap m_snapshot;
    bool m_saveFailureTold = false;
};
