// Settings changes reach their listeners, whoever writes them; the login-item
// switch asks the system on every assignment and reports failures.
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "support/StreamCapture.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class FakeLoginItems : public LoginItemService
{
public:
    bool isEnabled() const override { return enabled; }
    std::optional<QString> registerItem() override
    {
        ++registrations;
        return failure;
    }
    std::optional<QString> unregisterItem() override
    {
        ++unregistrations;
        return failure;
    }

    bool enabled = false;
    int registrations = 0;
    int unregistrations = 0;
    std::optional<QString> failure;
};

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayModeIsWeeklyUntilSessionIsChosen()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(u"Quotix.conf"_s), QSettings::IniFormat);
        Preferences preferences(&settings);
        QCOMPARE(preferences.displayMode(), DisplayMode::Weekly);

        QSignalSpy changed(&preferences, &Preferences::changed);
        preferences.setDisplayMode(DisplayMode::Session);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(settings.value(u"menuBarDisplayMode"_s).toString(), u"session"_s);
        QCOMPARE(preferences.displayMode(), DisplayMode::Session);

        // Our own write touches the file; that must not announce the change again.
        QTest::qWait(300);
        QCOMPARE(changed.size(), 1);
    }

    void anEditOfTheFileFromOutsideIsPickedUp()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Quotix.conf"_s);
        QSettings settings(path, QSettings::IniFormat);
        Preferences preferences(&settings);
        QSignalSpy changed(&preferences, &Preferences::changed);

        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nmenuBarDisplayMode=session\nrefreshInterval=30\n");
        file.close();

        QTRY_VERIFY(changed.size() >= 1);
        QCOMPARE(preferences.displayMode(), DisplayMode::Session);
        QCOMPARE(preferences.refreshIntervalValue().toString(), u"30"_s);
    }

    void everyAssignmentReachesTheSystem()
    {
        FakeLoginItems items;
        items.enabled = true;
        QVERIFY(LaunchAtLogin(&items).isEnabled()); // the system's state, read without registering
        QCOMPARE(items.registrations, 0);

        items.enabled = false;
        LaunchAtLogin launch(&items);
        QVERIFY(!launch.isEnabled());
        QSignalSpy changed(&launch, &LaunchAtLogin::enabledChanged);
        launch.setEnabled(true);
        launch.setEnabled(true);
        QCOMPARE(items.registrations, 2);
        QCOMPARE(changed.size(), 1);
        launch.setEnabled(false);
        QCOMPARE(items.unregistrations, 1);
    }

    void failuresArePrintedAndTheChoiceStays()
    {
        FakeLoginItems items;
        items.failure = u"Permission denied"_s;
        LaunchAtLogin launch(&items);

        const QByteArray out = captureStream(STDOUT_FILENO, [&] {
            launch.setEnabled(true);
            launch.setEnabled(false);
        });
        QCOMPARE(out,
                 "Failed to enable launch at login: Permission denied\n"
                 "Failed to disable launch at login: Permission denied\n"_ba);
        QVERIFY(!launch.isEnabled());
        launch.setEnabled(true);
        QVERIFY(launch.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "test_preferences.moc"
