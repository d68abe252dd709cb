#include "cli/StatusCommand.h"

#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/UsageManager.h"
#include "core/UsageProvider.h"
#include "core/os/NotificationManager.h"
#include "demo/DemoSetup.h"
#include "demo/UsageService.h"

#include <QCoreApplication>

#include <unistd.h>

using namespace Qt::StringLiterals;

StatusSnapshot takeStatusSnapshot(const UsageManager &manager)
{
    const ProviderList available = manager.availableProviders();
    StatusSnapshot snapshot;
    snapshot.lastUpdated = manager.lastUpdated();
    snapshot.statusColor = manager.statusColor();
    for (const auto &provider : manager.providers()) {
        ProviderStatus status;
        status.id = provider->id();
        status.name = provider->name();
        status.available = available.contains(provider);
        status.state = manager.providerStates().value(status.id);
        snapshot.providers.append(status);
    }
    return snapshot;
}

int runStatusCommand(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotix"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

    CommandLine command(u"quotix status"_s, u"Try 'quotix status --help'."_s,
        u"Fetches the usage of every provider that has credentials once, prints it and exits.\n"
        "Posts no desktop alerts: those belong to the tray application.\n"
        "\n"
        "Exit status: 0 when at least one provider is available and none of them failed;\n"
        "1 when one failed or none is available; 2 for an invalid invocation or configuration.\n"
        "\n"
        "In the JSON output, times are UTC ISO 8601 with milliseconds; utilisations are the\n"
        "numbers the services sent, and a number that is not finite is written as null.\n"
        "\n"
        "Environment:\n"
        "  QUOTIX_CLAUDE_USAGE_URL, QUOTIX_CODEX_USAGE_URL  replace the usage endpoints\n"
        "      (https, or http to a loopback address only)\n"
        "  NO_COLOR  no colours in the terminal output"_s);
    QCommandLineParser &parser = command.parser();
    const QCommandLineOption jsonOption(u"json"_s, u"Print one JSON object instead of text."_s);
    const QCommandLineOption demoOption(
        u"demo"_s, u"Show demo figures from a substitute service inside this process; no credentials are read."_s);
    const QCommandLineOption remainingOption(u"remaining"_s, u"Show what is left of each limit instead of what is used."_s);
    parser.addOptions({jsonOption, demoOption, remainingOption});
    parser.addPositionalArgument(u"status"_s, u"Print the current usage."_s);

    if (const auto exitStatus = command.parse(QCoreApplication::arguments()))
        return *exitStatus;
    const QStringList positional = parser.positionalArguments();
    if (positional != QStringList{u"status"_s})
        return command.usageError(u"unexpected argument \"%1\""_s.arg(positional.value(1)));

    QString error;
    std::optional<ProviderSetup> setup = makeProviderSetup(parser.isSet(demoOption), &error);
    if (!setup) {
        Console::err(error + u'\n');
        return CommandLine::InvalidInvocation;
    }

    NullNotificationManager notifications;
    UsageManager manager(setup->providers, &notifications);
    QObject::connect(&manager, &UsageManager::refreshFinished, &app, &QCoreApplication::quit);
    manager.refresh();
    QCoreApplication::exec();

    const StatusSnapshot snapshot = takeStatusSnapshot(manager);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (parser.isSet(jsonOption)) {
        Console::out(statusJson(snapshot, now));
    } else {
        const bool colour = shouldUseColour(::isatty(STDOUT_FILENO) == 1, qgetenv("NO_COLOR"));
        const DisplayAs as = parser.isSet(remainingOption) ? DisplayAs::Remaining : DisplayAs::Used;
        Console::out(statusText(snapshot, now, {colour, as}));
    }
    return statusExitCode(snapshot);
}
