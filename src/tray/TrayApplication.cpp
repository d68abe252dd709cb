#include "tray/TrayApplication.h"

#include "tray/AppDelegate.h"
#include "core/os/PlatformServices.h"
#include "core/Preferences.h"
#include "demo/DemoSetup.h"
#include "providers/PlatformKeychain.h"
#include "tray/SingleInstance.h"
#include "core/os/TrayHost.h"
#include "tray/TrayHostWaiter.h"
#include "core/os/TrayItem.h"
#include "tray/UnixSignalWatcher.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

enum class ParseOutcome {
    Run,
    ExitSuccess,
    ExitUsage,
};

bool asksForHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "-h" || argument == "--help" || argument == "-?" || argument == "--help-all"
            || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

ParseOutcome parseArguments(const QStringList &arguments, bool *demo)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString(TrayApplicationText::Description));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption demoOption(u"demo"_s, u"Show built-in demo figures; your credentials are not read."_s);
    parser.addOption(demoOption);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << u"quotix: "_s << parser.errorText() << u"\n"_s << u"Try \"quotix --help\"."_s << Qt::endl;
        return ParseOutcome::ExitUsage;
    }
    if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        out << parser.helpText().replace(u"<executable_name>"_s, u"quotix"_s);
        out.flush();
        return ParseOutcome::ExitSuccess;
    }
    if (parser.isSet(version)) {
        out << u"quotix "_s << QCoreApplication::applicationVersion() << Qt::endl;
        return ParseOutcome::ExitSuccess;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << u"quotix: unknown command \""_s << parser.positionalArguments().constFirst() << u"\"\n"_s
            << u"Try \"quotix --help\"."_s << Qt::endl;
        return ParseOutcome::ExitUsage;
    }
    *demo = parser.isSet(demoOption);
    return ParseOutcome::Run;
}

} // namespace

int runTrayApplication(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QString(SettingsKeys::Organization));
    QCoreApplication::setApplicationName(QString(SettingsKeys::Application));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

    // Help and version need no display, so they are answered before the GUI
    // exists; everything else is parsed after QApplication took its own options.
    bool demo = false;
    if (asksForHelpOrVersion(argc, argv)) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        return parseArguments(arguments, &demo) == ParseOutcome::ExitSuccess ? 0 : 2;
    }

    // A bad endpoint override is reported before anything else, display or not.
    for (const char *variable : {ClaudeUsageUrlVariable, CodexUsageUrlVariable}) {
        QString error;
        if (!endpointOverride(variable, &error) && !error.isEmpty()) {
            QTextStream(stderr) << error << Qt::endl;
            return 2;
        }
    }

    if (const auto reason = missingDisplayReason()) {
        QTextStream(stderr) << *reason << Qt::endl;
        return 1;
    }

    QApplication app(argc, argv);
    switch (parseArguments(QCoreApplication::arguments(), &demo)) {
    case ParseOutcome::ExitSuccess:
        return 0;
    case ParseOutcome::ExitUsage:
        return 2;
    case ParseOutcome::Run:
        break;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(u"quotix"_s);
    QTextStream err(stderr);

    QString error;
    std::optional<ProviderSetup> setup = makeProviderSetup(demo, &error);
    if (!setup) {
        err << error << Qt::endl;
        return 2;
    }

    const std::optional<QString> lockPath = SingleInstance::defaultLockPath(&error);
    if (!lockPath) {
        err << error << Qt::endl;
        return 1;
    }
    SingleInstance instance(*lockPath);
    if (!instance.acquire()) {
        err << TrayApplicationText::AlreadyRunning << Qt::endl;
        return 1;
    }

    UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalWatcher, &UnixSignalWatcher::received, &app, &QCoreApplication::quit);

    AppDelegate delegate(setup->providers, makePlatformServices());
    if (!demo)
        delegate.watchCredentials(credentialFilePaths());
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    const std::unique_ptr<TrayHost> trayHost = makeTrayHost();
    TrayHostWaiter waiter(trayHost.get(), TrayHostPatience, TrayHostPollInterval);
    QObject::connect(&waiter, &TrayHostWaiter::found, &delegate,
                     [&delegate](TrayItem *item) { delegate.finishLaunching(std::unique_ptr<TrayItem>(item)); });
    QObject::connect(&waiter, &TrayHostWaiter::gaveUp, &app, [&app, &trayHost, &err] {
        err << trayHost->missingHostMessage() << Qt::endl;
        app.exit(1);
    });
    waiter.start();

    return app.exec();
}
