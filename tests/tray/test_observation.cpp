// The title follows the coordinator and the settings: one render right after
// subscribing, one per announced change, each from the state as stored.
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "presentation/TitleLayout.h"
#include "support/ScriptedProvider.h"
#include "tray/TitleObserver.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestObservation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rendersOncePerChangeFromTheStoredState()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(u"quotix.conf"_s), QSettings::IniFormat);
        Preferences preferences(&settings);
        auto provider = std::make_shared<ScriptedProvider>(u"claude"_s, u"Claude"_s);
        provider->script({{usageOf({{"Session (5h)", 12}, {"Weekly (7d)", 42}}), 30ms}});
        RecordingNotifications notifications;
        UsageManager manager({provider}, &notifications, UsageManager::Timing{1h, 10ms});

        QStringList rendered;
        TitleObserver observer(&manager, &preferences);
        connect(&observer, &TitleObserver::titleChanged, this, [&](const TitleLayout &title, const QStringList &) {
            rendered.append(title.text()); // and it is what the stored state says now
            QCOMPARE(title.text(),
                     layoutTitle(manager.availableProviders(), manager.providerStates(), manager.isLoading(),
                                 preferences.displayMode())
                         .text());
        });
        QVERIFY2(rendered.isEmpty(), "the first render comes from the event loop");
        QTRY_COMPARE(rendered, QStringList{NoUsageText.toString()});

        QSignalSpy states(&manager, &UsageManager::providerStatesChanged);
        QSignalSpy loading(&manager, &UsageManager::isLoadingChanged);
        QSignalSpy finished(&manager, &UsageManager::refreshFinished);
        manager.refresh();
        QVERIFY(finished.wait());
        QTest::qWait(20);
        QCOMPARE(rendered.size(), 1 + states.size() + loading.size());
        QVERIFY(rendered.contains(LoadingText.toString())); // while the fetch was under way
        QCOMPARE(rendered.constLast(), u"Claude 42%"_s);

        const qsizetype before = rendered.size();
        preferences.setDisplayMode(DisplayMode::Session);
        QTRY_COMPARE(rendered.size(), before + 1);
        QCOMPARE(rendered.constLast(), u"Claude 12%"_s);
    }
};

QTEST_GUILESS_MAIN(TestObservation)
#include "test_observation.moc"
