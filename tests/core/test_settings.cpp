// The settings: their fallbacks, a change reaching its listeners whoever
// writes it, and the login-item switch.
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/RefreshInterval.h"
#include "support/DataRows.h"
#include "support/RecordingLoginItems.h"
#include "support/StreamCapture.h"

#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badSettingsFallBackToTheDefaults_data()
    {
        addColumns<QVariant, qint64>("stored", "expectedMs");
        QTest::newRow("missing") << QVariant() << qint64(120'000);
        QTest::newRow("text from the settings file") << QVariant(u"90"_s) << qint64(90'000);
        // The services rate-limit fast pollers: never closer than a minute.
        QTest::newRow("under a minute") << QVariant(u"30"_s) << qint64(60'000);
        QTest::newRow("a minute and a half second") << QVariant(60.5) << qint64(60'500);
        QTest::newRow("zero") << QVariant(0) << qint64(120'000);
        QTest::newRow("negative") << QVariant(-10) << qint64(120'000);
        QTest::newRow("not a number") << QVariant(u"soon"_s) << qint64(120'000);
        QTest::newRow("the mode's word, capitalised") << QVariant(u"Session"_s) << qint64(120'000);
        QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << qint64(120'000);
        QTest::newRow("too long for a timer is kept within one")
            << QVariant(1e12) << qint64(std::numeric_limits<int>::max());
        QTest::newRow("tiny") << QVariant(1e-9) << qint64(60'000);
    }
    void badSettingsFallBackToTheDefaults()
    {
        const auto [stored, expectedMs] = fetchRow<QVariant, qint64>("stored", "expectedMs");
        QCOMPARE(refreshIntervalFromSetting(stored).count(), expectedMs);
        // Only the exact word "session" chooses the other mode.
        QCOMPARE(displayModeFromSetting(stored), DisplayMode::Weekly);
    }

    void aChangeIsAnnouncedOnceWhoeverWritesIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Quotix.conf"_s);
        QSettings settings(path, QSettings::IniFormat);
        Preferences preferences(&settings);
        QSignalSpy changed(&preferences, &Preferences::changed);

        // A watch of our own sees the write when the preferences' watch does.
        QFileSystemWatcher folder({dir.path()});
        QSignalSpy touched(&folder, &QFileSystemWatcher::directoryChanged);
        preferences.setDisplayMode(DisplayMode::Session);
        QCOMPARE(settings.value(u"menuBarDisplayMode"_s).toString(), u"session"_s);
        QVERIFY(touched.wait());
        QCoreApplication::processEvents();
        QCOMPARE(changed.size(), 1); // our own write touched the file: not announced again

        // Another writer replaces the file, as editors do: one change.
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nrefreshInterval=30\n");
        QVERIFY(file.commit());
        QVERIFY(changed.wait());
        QCOMPARE(preferences.refreshIntervalValue().toString(), u"30"_s);
        QCOMPARE(preferences.displayMode(), DisplayMode::Weekly);
        QCOMPARE(changed.size(), 2);
    }

    void theLoginSwitchAsksTheSystemOnEveryAssignment()
    {
        RecordingLoginItems items(true, u"Permission denied"_s); // refuses every change
        LaunchAtLogin launch(&items);
        QVERIFY(launch.isEnabled() && items.calls.isEmpty()); // the system's state, read without registering

        QSignalSpy changed(&launch, &LaunchAtLogin::enabledChanged);
        QSignalSpy failed(&launch, &LaunchAtLogin::failed);
        const QByteArray out = captureStream(STDOUT_FILENO, [&] {
            launch.setEnabled(true);
            launch.setEnabled(false);
        });
        QCOMPARE(items.calls, (QStringList{u"register"_s, u"unregister"_s}));
        // A failed switch shows what the system holds, and says why.
        QCOMPARE(changed.size(), 2);
        QVERIFY(launch.isEnabled());
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed.at(1).at(0).toString(), u"Failed to disable launch at login: Permission denied"_s);
        QCOMPARE(out,
                 "Failed to enable launch at login: Permission denied\n"
                 "Failed to disable launch at login: Permission denied\n"_ba);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
