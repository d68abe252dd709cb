// Launch at login as an XDG autostart entry: what counts as enabled, the
// entry we write and remove, and the line printed when that fails.
#include "LaunchAtLogin.h"
#include "XdgAutostartService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What reaches standard output while it lives.
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
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

private:
    QString m_path;
    int m_saved = -1;
};

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QString folder() const { return m_home.filePath(u"config/autostart"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(u"config"_s)));
        QCOMPARE(XdgAutostartService::defaultFolder(), folder());
    }

    void cleanup()
    {
        QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(m_home.filePath(u"config"_s)).removeRecursively();
    }

    void enableWritesTheEntryDisableRemovesIt()
    {
        XdgAutostartService service(folder(), u"/opt/My Apps/quotix"_s);
        QVERIFY(!service.isEnabled());
        LaunchAtLogin launch(&service);
        QVERIFY(!launch.isEnabled());

        launch.setEnabled(true);
        QVERIFY(service.isEnabled());
        QFile entry(folder() + u"/quotix.desktop"_s);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        QVERIFY(text.startsWith(u"[Desktop Entry]\n"_s));
        for (const QString &line : {u"Type=Application"_s, u"Name=Quotix"_s, u"Exec=\"/opt/My Apps/quotix\""_s,
                                    u"X-GNOME-Autostart-enabled=true"_s})
            QVERIFY2(text.split(u'\n').contains(line), qPrintable(line));
        QVERIFY(QDir(folder()).entryList(QDir::Files | QDir::Hidden) == QStringList{u"quotix.desktop"_s});

        // Read again at the next start.
        XdgAutostartService later(folder(), u"/opt/My Apps/quotix"_s);
        QVERIFY(LaunchAtLogin(&later).isEnabled());

        launch.setEnabled(false);
        QVERIFY(!QFile::exists(entry.fileName()));
        QVERIFY(!service.isEnabled());
        QVERIFY(!service.unregisterItem()); // nothing left to remove is no failure
    }

    void whatCountsAsEnabled_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");

        QTest::newRow("plain") << "[Desktop Entry]\nType=Application\nExec=quotix\n"_ba << true;
        QTest::newRow("Hidden=true") << "[Desktop Entry]\nExec=quotix\nHidden=true\n"_ba << false;
        QTest::newRow("Hidden=false") << "[Desktop Entry]\nExec=quotix\nHidden=false\n"_ba << true;
        QTest::newRow("GNOME switch off") << "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"_ba << false;
        QTest::newRow("GNOME switch on") << "[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n"_ba << true;
        QTest::newRow("Hidden in another group")
            << "[Desktop Entry]\nExec=quotix\n[Desktop Action x]\nHidden=true\n"_ba << true;
        QTest::newRow("spaces around =") << "[Desktop Entry]\nHidden = true\n"_ba << false;
    }
    void whatCountsAsEnabled()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        writeFile(folder() + u"/quotix.desktop"_s, entry);
        QCOMPARE(XdgAutostartService(folder(), u"/usr/bin/quotix"_s).isEnabled(), enabled);
    }

    void execArgumentQuoting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");

        QTest::newRow("plain") << u"/usr/bin/quotix"_s << u"/usr/bin/quotix"_s;
        QTest::newRow("space") << u"/opt/My Apps/quotix"_s << u"\"/opt/My Apps/quotix\""_s;
        QTest::newRow("dollar and quote") << u"/opt/a$b\"c/quotix"_s << u"\"/opt/a\\\\$b\\\\\"c/quotix\""_s;
        QTest::newRow("backslash") << u"/opt/a\\b/quotix"_s << u"\"/opt/a\\\\\\\\b/quotix\""_s;
        QTest::newRow("percent") << u"/opt/100%/quotix"_s << u"/opt/100%%/quotix"_s;
    }
    void execArgumentQuoting()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(desktopExecArgument(path), exec);
    }

    void failuresPrintTheLine_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QString>("line");

        QTest::newRow("autostart is a file") << u"file"_s << true << u"Failed to enable launch at login: "_s;
        QTest::newRow("read-only folder, enable") << u"read-only"_s << true
                                                  << u"Failed to enable launch at login: "_s;
        QTest::newRow("read-only folder, disable") << u"read-only"_s << false
                                                   << u"Failed to disable launch at login: "_s;
    }
    void failuresPrintTheLine()
    {
        QFETCH(QString, blocker);
        QFETCH(bool, enable);
        QFETCH(QString, line);
        if (blocker == u"read-only"_s) {
            if (geteuid() == 0)
                QSKIP("root writes into read-only folders");
            writeFile(folder() + u"/quotix.desktop"_s, "[Desktop Entry]\nExec=quotix\n"_ba);
            QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
        } else {
            writeFile(folder(), "not a folder"_ba);
        }

        XdgAutostartService service(folder(), u"/usr/bin/quotix"_s);
        LaunchAtLogin launch(&service);
        StdoutCapture capture(m_home.filePath(u"stdout.txt"_s));
        launch.setEnabled(enable);
        const QString output = capture.finish();
        QVERIFY2(output.startsWith(line), qPrintable(output));
        QVERIFY(output.size() > line.size() + 1); // the reason follows
        QVERIFY(output.endsWith(u'\n') && output.count(u'\n') == 1);
        QCOMPARE(launch.isEnabled(), enable); // the switch keeps what was asked for
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
