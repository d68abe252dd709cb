// Launch at login as an XDG autostart entry: what counts as enabled, the
// entry we write and remove, and a failure that leaves the entry as it was.
#include "platform/linux/XdgAutostartService.h"
#include "support/DataRows.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAutostart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    const QString m_folder = m_home.filePath(u"config/autostart"_s);
    const QString m_entry = m_folder + u"/quotix.desktop"_s;

private Q_SLOTS:
    void cleanup() { QDir(m_folder).removeRecursively(); }

    void enableWritesTheEntryDisableRemovesIt()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(u"config"_s)));
        QCOMPARE(XdgAutostartService::defaultFolder(), m_folder);
        // The path needs quotes, and escapes both inside them and for the file's own syntax.
        XdgAutostartService service(m_folder, u"/opt/My Apps/100%/a$b\"c\\d/quotix"_s);
        QVERIFY(!service.isEnabled());
        QVERIFY(!service.registerItem());
        const QStringList lines = QString::fromUtf8(readFile(m_entry)).split(u'\n');
        for (const QString &line :
             {u"[Desktop Entry]"_s, u"Type=Application"_s, u"Name=Quotix"_s,
              u"Exec=\"/opt/My Apps/100%%/a\\\\$b\\\\\"c\\\\\\\\d/quotix\""_s,
              u"TryExec=/opt/My Apps/100%/a$b\"c\\\\d/quotix"_s, u"X-GNOME-Autostart-enabled=true"_s})
            QVERIFY2(lines.contains(line), qPrintable(line));
        // What desktops are strict about, checked by freedesktop's own tool where it is installed.
        if (const QString validate = QStandardPaths::findExecutable(u"desktop-file-validate"_s); !validate.isEmpty()) {
            QProcess process;
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(validate, {m_entry});
            QVERIFY(process.waitForFinished());
            QVERIFY2(process.exitCode() == 0, process.readAll().constData());
        }
        QVERIFY(XdgAutostartService(m_folder, u"/usr/bin/quotix"_s).isEnabled()); // read again at the next start

        QVERIFY(!service.unregisterItem());
        QVERIFY(!QFile::exists(m_entry));
        QVERIFY(!service.unregisterItem()); // nothing left to remove is no failure
    }

    // One argument of the Exec= line as a desktop launcher splits it.
    void execArgumentsAreQuotedAndEscaped_data()
    {
        addColumns<QString, QString>("argument", "written");
        QTest::newRow("plain") << u"/usr/bin/quotix"_s << u"/usr/bin/quotix"_s;
        QTest::newRow("only a space") << u"/opt/My Apps/quotix"_s << u"\"/opt/My Apps/quotix\""_s;
        QTest::newRow("only a tab") << u"/opt/a\tb"_s << u"\"/opt/a\\tb\""_s;
        QTest::newRow("a quote") << u"/opt/a'b"_s << u"\"/opt/a'b\""_s;
        QTest::newRow("empty") << QString() << u"\"\""_s;
    }
    void execArgumentsAreQuotedAndEscaped()
    {
        const auto [argument, written] = fetchRow<QString, QString>("argument", "written");
        QCOMPARE(desktopExecArgument(argument), written);
    }

    void whatCountsAsEnabled_data()
    {
        addColumns<QByteArray, bool>("entry", "enabled");
        QTest::newRow("an Exec line") << "Exec=quotix\n"_ba << true;
        QTest::newRow("cut off: starts nothing") << QByteArray() << false;
        QTest::newRow("empty Exec") << "Exec=\n"_ba << false;
        QTest::newRow("hidden") << "Exec=quotix\nHidden = true\n"_ba << false;
        QTest::newRow("GNOME's switch off") << "Exec=quotix\nX-GNOME-Autostart-enabled=false\n"_ba << false;
        QTest::newRow("another group hidden") << "Exec=quotix\n[Desktop Action x]\nHidden=true\n"_ba << true;
    }
    void whatCountsAsEnabled()
    {
        const auto [entry, enabled] = fetchRow<QByteArray, bool>("entry", "enabled");
        QVERIFY(writeFile(m_entry, "[Desktop Entry]\n"_ba + entry));
        QCOMPARE(XdgAutostartService(m_folder, u"/usr/bin/quotix"_s).isEnabled(), enabled);
    }

    void aFailureLeavesWhatIsThereAlone()
    {
        // A folder where the entry belongs: it can be neither written over
        // nor removed, by root either.
        QVERIFY(QDir().mkpath(m_entry + u"/keep"_s));
        XdgAutostartService service(m_folder, u"/usr/bin/quotix"_s);
        QVERIFY(!service.isEnabled());
        QVERIFY(service.registerItem().has_value());
        QVERIFY(service.unregisterItem().has_value());
        QVERIFY(QFileInfo::exists(m_entry + u"/keep"_s));
    }

    // A full disk let an empty entry through that then counted as enabled.
    void aWriteThatFailsIsAFailure()
    {
        XdgAutostartService service(m_folder, u"/usr/bin/quotix"_s);
        QVERIFY(writeFile(m_entry, QByteArray())); // what an earlier full disk left
        QVERIFY(!service.isEnabled());
        {
            FileSizeLimit fullDisk;
            QCOMPARE(service.registerItem(), u"File too large"_s);
        }
        QVERIFY(!service.isEnabled());

        // A plain file where the folder belongs.
        QDir(m_folder).removeRecursively();
        QVERIFY(QFile(m_folder).open(QIODevice::WriteOnly));
        QCOMPARE(service.registerItem(), m_folder + u" is not a folder"_s);
        QVERIFY(!service.isEnabled());
        QFile::remove(m_folder);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
