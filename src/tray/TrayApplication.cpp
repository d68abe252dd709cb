#include "tray/TrayApplication.h"

#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/Preferences.h"
#include "core/UnixSignalWatcher.h"
#include "core/os/PlatformServices.h"
#include "history/HistoryStore.h"
#include "presentation/PanelPlacement.h"
#include "presentation/Translations.h"
#include "presentation/TrayHost.h"
#include "presentation/TrayItem.h"
#include "providers/AccountSetup.h"
#include "providers/ProcessProvider.h"
#include "providers/ProviderRegistry.h"
#include "tray/SingleInstance.h"
#include "tray/TrayController.h"
#include "tray/TrayHostWaiter.h"

#include <QApplication>
#include <QThreadPool>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The tray's command line; --demo is its only option of its own.
struct TrayCommand
{
    CommandLine command{u"quotix"_s, u"Try \"quotix --help\"."_s, QString(TrayApplicationText::Description)};
    QCommandLineOption demo{u"demo"_s, u"Show built-in demo figures; your credentials are not read."_s};

    TrayCommand() { command.parser().addOption(demo); }
};

// What needs no display: help and version, a bad endpoint override, and
// no graphical session to reach. An exit status when the run ends here.
std::optional<int> answerBeforeTheGui(int argc, char **argv)
{
    // Help and version need no display, so they are answered before the GUI
    // exists; everything else is parsed after QApplication took its own options.
    TrayCommand early;
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    if (const auto exitStatus = early.command.answerHelpOrVersion(rawArguments))
        return *exitStatus;

    // A bad endpoint override is reported before anything else, display or not.
    QString error;
    if (!endpointOverrides(&error)) {
        Console::err(error + u'\n');
        return CommandLine::InvalidInvocation;
    }

    if (const auto reason = missingDisplayReason()) {
        // A mistyped command is a usage error whether or not a desktop is there.
        QCommandLineParser &parser = early.command.parser();
        if (parser.parse(rawArguments) && !parser.positionalArguments().isEmpty())
            return early.command.usageError(u"unknown command \"%1\""_s.arg(parser.positionalArguments().constFirst()));
        Console::err(*reason + u'\n');
        return 1;
    }
    return std::nullopt;
}

// The lock that keeps a second tray from starting; null, said why, when it is not ours.
std::unique_ptr<SingleInstance> takeTheInstanceLock()
{
    QString error;
    const std::optional<QString> lockPath = SingleInstance::defaultLockPath(&error);
    if (!lockPath) {
        Console::err(error + u'\n');
        return nullptr;
    }
    auto instance = std::make_unique<SingleInstance>(*lockPath);
    switch (instance->acquire()) {
    case SingleInstance::Outcome::Acquired: return instance;
    case SingleInstance::Outcome::HeldElsewhere:
        Console::err(QString(TrayApplicationText::AlreadyRunning) + u'\n');
        break;
    case SingleInstance::Outcome::Failed: Console::err(instance->failure() + u'\n'); break;
    }
    return nullptr;
}

// The controller, and the item once a tray turns up; runs until quit.
int runTray(QApplication &app, const ProviderSetup &setup, bool demo, const DesktopTraits &desktop)
{
    UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalWatcher, &UnixSignalWatcher::received, &app, &QCoreApplication::quit);

    PlatformServices services = makePlatformServices();
    services.desktop = desktop;
    TrayController controller(setup.providers, std::move(services));
    if (!demo)
        controller.watchCredentials(credentialFilePaths());
    TrayController::AccountSource accounts{setup.accounts, {}, accountKinds()};
    if (!demo) // the demo's accounts read no files
        accounts.files = accountCredentialFiles;
    controller.followAccounts(std::move(accounts));
    // Made-up figures never mix with the user's own.
    controller.recordHistory(demo ? HistoryStore::demoPath() : HistoryStore::defaultPath());
    QObject::connect(&controller, &TrayController::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    const std::unique_ptr<TrayHost> trayHost = makeTrayHost(desktop);
    TrayHostWaiter waiter(trayHost.get(), TrayHostPatience, TrayHostPollInterval, TrayHostSlowPollInterval);
    QObject::connect(&waiter, &TrayHostWaiter::found, &controller,
                     [&controller](TrayItem *item) { controller.start(std::unique_ptr<TrayItem>(item)); });
    // No tray is no reason to stop: the alerts still matter, and the icon
    // follows once the user enables a tray.
    QObject::connect(&waiter, &TrayHostWaiter::gaveUp, &controller, [&controller, &trayHost] {
        Console::err(trayHost->missingHostTitle() + u'\n' + trayHost->missingHostMessage() + u'\n');
        controller.startWithoutItem(trayHost->missingHostTitle(), trayHost->missingHostMessage());
    });
    waiter.start();

    return app.exec();
}

} // namespace

int runTrayApplication(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QString(SettingsKeys::Organization));
    QCoreApplication::setApplicationName(QString(SettingsKeys::Application));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));
    if (const std::optional<int> exitStatus = answerBeforeTheGui(argc, argv))
        return *exitStatus;

    const DesktopTraits desktop = desktopTraits();
    if (!desktop.preferredQtPlatform.isEmpty())
        qputenv("QT_QPA_PLATFORM", desktop.preferredQtPlatform);

    QApplication app(argc, argv);
    installTranslations();
    TrayCommand tray;
    if (const auto exitStatus = tray.command.parse(QCoreApplication::arguments()))
        return *exitStatus;
    const QStringList positional = tray.command.parser().positionalArguments();
    if (!positional.isEmpty())
        return tray.command.usageError(u"unknown command \"%1\""_s.arg(positional.constFirst()));
    const bool demo = tray.command.parser().isSet(tray.demo);

    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's raster engine spreads large blends over the global thread pool,
    // whose threads then idle for 30 s with their stacks and malloc arenas.
    // The tray paints seldom and small: one helper, let go soon.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    QThreadPool::globalInstance()->setExpiryTimeout(2000);
    QGuiApplication::setDesktopFileName(u"quotix"_s);

    QString error;
    const std::optional<ProviderSetup> setup = makeProcessProviderSetup(demo, defaultFetchProgram(), &error);
    if (!setup) {
        Console::err(error + u'\n');
        return CommandLine::InvalidInvocation;
    }
    const std::unique_ptr<SingleInstance> instance = takeTheInstanceLock();
    if (!instance)
        return 1;
    return runTray(app, *setup, demo, desktop);
}
