// Settings changes reach their listeners, whoever writes them; the login-item
// switch asks the system on every assignment and reports failures.
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

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

// Collects what is written to standard output while it lives.
class StdoutCapture
{
public:
    explicit StdoutCapture(const QString &path)
        : m_path(path)
    {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "w");
        dup2(fileno(file), STDOUT_FILENO);
        std::fclose(file);
    }
    QString finish()
    {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        QFile file(m_path);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

private:
    QString m_path;
    int m_saved = -1;
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

    void launchAtLoginStartsFromTheSystemsState()
    {
        FakeLoginItems items;
        items.enabled = true;
        LaunchAtLogin enabled(&items);
        QVERIFY(enabled.isEnabled());
        QCOMPARE(items.registrations, 0); // reading the state registers nothing

        items.enabled = false;
        LaunchAtLogin disabled(&items);
        QVERIFY(!disabled.isEnabled());
    }

    void everyAssignmentReachesTheSystem()
    {
        FakeLoginItems items;
        LaunchAtLogin launch(&items);
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
        QTemporaryDir dir;
        FakeLoginItems items;
        items.failure = u"Permission denied"_s;
        LaunchAtLogin launch(&items);

        StdoutCapture capture(dir.filePath(u"out"_s));
        launch.setEnabled(true);
        launch.setEnabled(false);
        const QString out = capture.finish();

        QCOMPARE(out, u"Failed to enable launch at login: Permission denied\n"
                      "Failed to disable launch at login: Permission denied\n"_s);
        QVERIFY(!launch.isEnabled());
        launch.setEnabled(true);
        QVERIFY(launch.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "test_preferences.moc"
