// The title follows the coordinator and the settings: one render right after
// subscribing, one per announced change, each from the state as stored.
#include "Preferences.h"
#include "ScriptedProvider.h"
#include "TitleLayout.h"
#include "TitleObserver.h"
#include "UsageManager.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestObservation : public QObject
{
    Q_OBJECT

    struct Rig
    {
        explicit Rig(const QString &settingsPath)
            : settings(settingsPath, QSettings::IniFormat)
            , preferences(&settings)
            , manager({provider}, &notifications, UsageManager::Timing{1h, 10ms})
        {
        }
        std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        RecordingNotifications notifications;
        QSettings settings;
        Preferences preferences;
        UsageManager manager;
    };

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<TitleLayout>(); }

    void rendersOnceAfterSubscribingAndOncePerChange()
    {
        Rig rig(m_dir.filePath(u"once.conf"_s));
        rig.provider->script({{usageOf({{"Weekly (7d)", 42}}), 30ms}});

        QStringList rendered;
        QStringList expected; // what the stored state said at each render
        TitleObserver observer(&rig.manager, &rig.preferences);
        connect(&observer, &TitleObserver::titleChanged, this, [&](const TitleLayout &title, const QStringList &) {
            rendered.append(title.text());
            expected.append(layoutTitle(rig.manager.availableProviders(), rig.manager.providerStates(),
                                        rig.manager.isLoading(), rig.preferences.displayMode())
                                .text());
        });
        QVERIFY2(rendered.isEmpty(), "the first render comes from the event loop");
        QTRY_COMPARE(rendered.size(), 1);
        QCOMPARE(rendered.constFirst(), u"\u274C"_s);

        QSignalSpy states(&rig.manager, &UsageManager::providerStatesChanged);
        QSignalSpy loading(&rig.manager, &UsageManager::isLoadingChanged);
        QSignalSpy finished(&rig.manager, &UsageManager::refreshFinished);
        rig.manager.refresh();
        QVERIFY(finished.wait());
        QTRY_COMPARE(rendered.size(), 1 + states.size() + loading.size());
        QTest::qWait(20);
        QCOMPARE(rendered.size(), 1 + states.size() + loading.size());
        QCOMPARE(rendered, expected);
        QVERIFY(rendered.contains(u"\u23F3"_s)); // while the fetch was under way
        QCOMPARE(rendered.constLast(), u"* 42%"_s);
    }

    void settingChangesRenderAtOnce()
    {
        Rig rig(m_dir.filePath(u"mode.conf"_s));
        rig.provider->script({{usageOf({{"Session (5h)", 12}, {"Weekly (7d)", 42}}), 0ms}});
        QSignalSpy finished(&rig.manager, &UsageManager::refreshFinished);
        rig.manager.refresh();
        QVERIFY(finished.wait());

        TitleObserver observer(&rig.manager, &rig.preferences);
        QSignalSpy titles(&observer, &TitleObserver::titleChanged);
        QTRY_COMPARE(titles.size(), 1);
        QCOMPARE(titles.last().at(0).value<TitleLayout>().text(), u"* 42%"_s);

        rig.preferences.setDisplayMode(DisplayMode::Session);
        QTRY_COMPARE(titles.size(), 2);
        QCOMPARE(titles.last().at(0).value<TitleLayout>().text(), u"* 12%"_s);

        // Written by someone else straight into the settings file.
        {
            QSettings other(rig.settings.fileName(), QSettings::IniFormat);
            other.setValue(SettingsKeys::MenuBarDisplayMode, u"weekly"_s);
        }
        QTRY_COMPARE(titles.size(), 3);
        QCOMPARE(titles.last().at(0).value<TitleLayout>().text(), u"* 42%"_s);
    }
};

QTEST_GUILESS_MAIN(TestObservation)
#include "test_observation.moc"
