#include "tray/TrayApplication.h"

#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/Preferences.h"
#include "core/UnixSignalWatcher.h"
#include "core/os/PlatformServices.h"
#include "core/os/TrayHost.h"
#include "core/os/TrayItem.h"
#include "demo/DemoSetup.h"
#include "history/HistoryStore.h"
#include "presentation/PanelPlacement.h"
#include "providers/AccountSetup.h"
#include "providers/ProviderRegistry.h"
#include "tray/TrayController.h"
#include "tray/SingleInstance.h"
#include "tray/TrayHostWaiter.h"

#include <QApplication>

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

} // namespace

int runTrayApplication(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QString(SettingsKeys::Organization));
    QCoreApplication::setApplicationName(QString(SettingsKeys::Application));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

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

    if (const QByteArray platform
        = preferredQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"));
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication app(argc, argv);
    TrayCommand tray;
    if (const auto exitStatus = tray.command.parse(QCoreApplication::arguments()))
        return *exitStatus;
    const QStringList positional = tray.command.parser().positionalArguments();
    if (!positional.isEmpty())
        return tray.command.usageError(u"unknown command \"%1\""_s.arg(positional.constFirst()));
    const bool demo = tray.command.parser().isSet(tray.demo);

    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(u"quotix"_s);

    std::optional<ProviderSetup> setup = makeProviderSetup(demo, &error);
    if (!setup) {
        Console::err(error + u'\n');
        return CommandLine::InvalidInvocation;
    }

    const std::optional<QString> lockPath = SingleInstance::defaultLockPath(&error);
    if (!lockPath) {
        Console::err(error + u'\n');
        return 1;
    }
    SingleInstance instance(*lockPath);
    switch (instance.acquire()) {
    case SingleInstance::Outcome::Acquired: break;
    case SingleInstance::Outcome::HeldElsewhere:
        Console::err(QString(TrayApplicationText::AlreadyRunning) + u'\n');
        return 1;
    case SingleInstance::Outcome::Failed: Console::err(instance.failure() + u'\n'); return 1;
    }

    UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalWatcher, &UnixSignalWatcher::received, &app, &QCoreApplication::quit);

    TrayController controller(setup->providers, makePlatformServices());
    if (!demo)
        controller.watchCredentials(credentialFilePaths());
    TrayController::AccountSource accounts{setup->accounts, {}, accountKinds()};
    if (!demo) // the demo's accounts read no files
        accounts.files = accountCredentialFiles;
    controller.followAccounts(std::move(accounts));
    // Made-up figures never mix with the user's own.
    controller.recordHistory(demo ? HistoryStore::demoPath() : HistoryStore::defaultPath());
    QObject::connect(&controller, &TrayController::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    const std::unique_ptr<TrayHost> trayHost = makeTrayHost();
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
