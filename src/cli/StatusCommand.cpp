#include "cli/StatusCommand.h"

#include "core/ClockWakeMonitor.h"
#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/Preferences.h"
#include "core/RefreshInterval.h"
#include "core/UnixSignalWatcher.h"
#include "core/UsageManager.h"
#include "core/UsageProvider.h"
#include "core/os/NotificationManager.h"
#include "fetch/DemoSetup.h"
#include "history/HistoryStore.h"
#include "presentation/RecentPace.h"

#include "presentation/StatusBarFormat.h"
#include "presentation/Translations.h"
#include "providers/AccountSetup.h"
#include "providers/ProviderRegistry.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <future>
#include <utility>

#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

StatusSnapshot takeStatusSnapshot(const UsageManager &manager)
{
    StatusSnapshot snapshot;
    snapshot.lastUpdated = manager.lastUpdated();
    snapshot.statusColor = manager.statusColor();
    for (const auto &provider : manager.providers()) {
        ProviderStatus status;
        status.id = provider->id();
        status.name = provider->name();
        status.state = manager.providerStates().value(status.id);
        status.available = status.state.isAvailable;
        snapshot.providers.append(status);
    }
    return snapshot;
}

StatusSnapshot fetchStatusOnce(const ProviderList &providers, NotificationManager *notifications,
                               StatusRunTiming timing)
{
    UsageManager manager(providers, notifications, UsageManager::Timing{std::nullopt, timing.retryPause});
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&manager, &UsageManager::refreshFinished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    manager.refresh();
    deadline.start(timing.deadline);
    loop.exec();

    StatusSnapshot snapshot = takeStatusSnapshot(manager);
    if (manager.isRefreshing()) {
        const int seconds = int(std::ceil(timing.deadline.count() / 1000.0));
        for (ProviderStatus &status : snapshot.providers) {
            if (!status.state.isLoading)
                continue;
            status.state.isLoading = false;
            status.state.error
                = (seconds == 1 ? u"No answer within %1 second."_s : u"No answer within %1 seconds."_s).arg(seconds);
        }
    }
    return snapshot;
}

QList<HistorySample> recentHistory(const QString &path, const QDateTime &now)
{
    // Read-only and without waiting: the tray's writes go on, and a missing or
    // unreadable file only means the window's average is used.
    const QDateTime since = now.addSecs(-RecentPaceSeconds);
    if (!HistoryStore::writtenSince(path, since))
        return {};
    QString ignored;
    const std::unique_ptr<HistoryStore> store = HistoryStore::openForReading(path, &ignored);
    return store ? store->samples({since}) : QList<HistorySample>{};
}

namespace {

// Whether the reader of standard output has gone (a bar closed its end of
// the pipe): a refresh may be a minute away, and the process should not
// linger that long.
bool outputReaderGone()
{
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

// What one refresh prints.
// The ids of the settings' accounts of providers that take accounts.
QStringList knownAccountIds(QSettings &settings)
{
    QList<ExtraAccount> known;
    const QList<AccountKind> kinds = accountKinds();
    for (const ExtraAccount &account : accountsFromSettings(settings)) {
        if (std::any_of(kinds.cbegin(), kinds.cend(), [&](const AccountKind &k) { return k.provider == account.provider; }))
            known.append(account);
    }
    return accountIds(known);
}

class StatusOutput
{
public:
    enum class Kind {
        Text,
        Json,
        Waybar,
        Template
    };

    Kind kind = Kind::Text;
    std::optional<StatusTemplate> statusTemplate;
    DisplayMode mode = DisplayMode::Weekly;
    DisplayAs as = DisplayAs::Used;
    QStringList titleLeftOut;
    bool colour = false;
    QString historyPath; // the tray's record, for the projection at the recent rate

    // Whether the output projects from the tray's recent record.
    bool projects() const { return kind == Kind::Json || kind == Kind::Text; }

    // The tray's recent record where the output projects from it.
    QList<HistorySample> recentRecord() const
    {
        return projects() ? recentHistory(historyPath, QDateTime::currentDateTimeUtc()) : QList<HistorySample>{};
    }

    QByteArray render(StatusSnapshot snapshot, const QList<HistorySample> &record) const
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        snapshot.history = record;
        switch (kind) {
        case Kind::Json: return statusJson(snapshot, now);
        case Kind::Waybar: return waybarLine(snapshot, mode, as, titleLeftOut);
        case Kind::Template: return statusTemplate->render(snapshot, as).toUtf8();
        case Kind::Text: break;
        }
        return statusText(snapshot, now, {colour, as}).toUtf8();
    }
};

// The command's arguments, with its help.
// Words joined into lines of at most width characters.
QString wrapped(const QString &text, qsizetype width)
{
    QStringList lines{QString()};
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!lines.last().isEmpty() && lines.last().size() + 1 + word.size() > width)
            lines.append(QString());
        lines.last() += (lines.last().isEmpty() ? QString() : u" "_s) + word;
    }
    return lines.join(u'\n');
}

// The template fields of every known provider.
QString formatHelp()
{
    QStringList windows, highest;
    for (const QString &id : StatusTemplate::providerIds()) {
        windows << u"{%1.session} {%1.weekly}"_s.arg(id);
        highest << u"{%1.max}"_s.arg(id);
    }
    return wrapped(u"Status-bar formats: --format waybar prints one JSON line for a waybar custom module; any other "
                   "FORMAT is a template with the fields %1 (the highest limit of that window), %2 (a provider's "
                   "highest), {max} {status}, and any row by its name in lower case with \"_\" between words: %3 "
                   "(\"{{\" and \"}}\" for braces). Both show the window and the used-or-remaining choice of the "
                   "tray's settings."_s.arg(windows.join(u' '), highest.join(u' '), StatusTemplate::rowFieldExamples()),
                   88);
}

// Every provider's endpoint override.
QString overrideHelp()
{
    QStringList variables;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        variables.append(QString::fromLatin1(overrideVariable(descriptor)));
    const QString text
        = variables.join(u", "_s) + u" replace the usage endpoints (https, or http to a loopback address only)"_s;
    return u"  "_s + wrapped(text, 80).replace(u'\n', u"\n      "_s);
}

// The command's help, written only when asked for.
QString statusDescription()
{
    return u"Fetches the usage of every provider that has credentials once, prints it and exits.\n"
           "Posts no desktop alerts: those belong to the tray application.\n"
           "\n"
           "Exit status: 0 when at least one provider is available and none of them failed;\n"
           "1 when one failed or none is available; 2 for an invalid invocation or configuration.\n"
           "With --follow: 0 when ended by SIGTERM or SIGINT, or when its output is closed.\n"
           "\n"
           "In the JSON output, times are UTC ISO 8601 with milliseconds; utilisations are the\n"
           "numbers the services sent, and a number that is not finite is written as null.\n"
           "A limit's \"projection\" is when it runs out before its reset at the rate of the last\n"
           "hour or two the tray recorded (\"basis\": \"lastHour\", \"lastTwoHours\"), else at its\n"
           "average since the window began (\"window\"); null when it does not.\n"
           "\n"
           "%1\n"
           "\n"
           "Extra accounts added in the tray's settings show as providers of their own, named by\n"
           "provider and label: \"claude-work\" in the JSON, {claude-work.weekly} in a template.\n"
           "\n"
           "Environment:\n"
           "%2\n"
           "  NO_COLOR  no colours in the terminal output"_s.arg(formatHelp(), overrideHelp());
}

struct StatusArguments
{
    CommandLine command{u"quotix status"_s, u"Try 'quotix status --help'."_s, &statusDescription};
    const QCommandLineOption jsonOption{u"json"_s, u"Print one JSON object instead of text."_s};
    const QCommandLineOption demoOption{
        u"demo"_s, u"Show demo figures from a substitute service inside this process; no credentials are read."_s};
    const QCommandLineOption remainingOption{u"remaining"_s,
                                             u"Show what is left of each limit instead of what is used."_s};
    const QCommandLineOption formatOption{u"format"_s, u"Print one line for a status bar: \"waybar\" or a template."_s,
                                          u"FORMAT"_s};
    const QCommandLineOption followOption{
        u"follow"_s, u"Keep running and print again after every refresh, at the tray's refresh interval."_s};

    StatusArguments()
    {
        command.parser().addOptions({jsonOption, demoOption, remainingOption, formatOption, followOption});
        command.parser().addPositionalArgument(u"status"_s, u"Print the current usage."_s);
    }
};

// What the options and the tray's settings ask to print; a usage error otherwise.
std::optional<QString> chooseOutput(const StatusArguments &arguments, QSettings &settings, StatusOutput *output)
{
    const QCommandLineParser &parser = arguments.command.parser();
    if (parser.isSet(arguments.formatOption)) {
        if (parser.isSet(arguments.jsonOption))
            return u"--json and --format exclude each other"_s;
        const QString format = parser.value(arguments.formatOption);
        if (format == "waybar"_L1) {
            output->kind = StatusOutput::Kind::Waybar;
        } else {
            QString error;
            output->statusTemplate = StatusTemplate::parse(format, &error, knownAccountIds(settings));
            if (!output->statusTemplate)
                return error;
            output->kind = StatusOutput::Kind::Template;
        }
        // A bar shows what the tray shows.
        output->mode = displayModeFromSetting(settings.value(SettingsKeys::MenuBarDisplayMode));
        output->as = displayAsFromSetting(settings.value(SettingsKeys::DisplayAs));
        output->titleLeftOut = settings.value(SettingsKeys::TitleLeftOut).toStringList();
    } else if (parser.isSet(arguments.jsonOption)) {
        output->kind = StatusOutput::Kind::Json;
    } else {
        installTranslations(); // people read this output; programs read the others
        output->colour = shouldUseColour(::isatty(STDOUT_FILENO) == 1, qgetenv("NO_COLOR"));
    }
    if (parser.isSet(arguments.remainingOption))
        output->as = DisplayAs::Remaining;
    return std::nullopt;
}

int printOnce(const ProviderSetup &setup, const StatusOutput &output, std::future<QList<HistorySample>> record)
{
    NullNotificationManager notifications;
    const StatusSnapshot snapshot = fetchStatusOnce(setup.providers, &notifications);
    // Output that never arrived is no success, whatever was fetched.
    if (!Console::out(output.render(snapshot, record.valid() ? record.get() : QList<HistorySample>{}))) {
        const int error = errno;
        Console::err(u"quotix status: could not write the output: %1\n"_s.arg(qt_error_string(error)));
        return 1;
    }
    return statusExitCode(snapshot);
}

// --follow: prints after every refresh until a signal ends it or the reader goes.
int follow(const ProviderSetup &setup, const StatusOutput &output, const QSettings &settings)
{
    NullNotificationManager notifications;
    UsageManager::Timing timing;
    timing.refreshInterval = refreshIntervalFromSetting(settings.value(SettingsKeys::RefreshInterval));
    timing.rateLimitBackoff = *timing.refreshInterval;
    UsageManager manager(setup.providers, &notifications, timing);

    // A reader that went away shows as a failed write (EPIPE), not as a signal
    // that kills the process; either way the command is done, and says nothing.
    std::signal(SIGPIPE, SIG_IGN);
    UnixSignalWatcher signalWatcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalWatcher, &UnixSignalWatcher::received, qApp, [] { QCoreApplication::exit(0); });
    QObject::connect(&manager, &UsageManager::refreshFinished, qApp, [&output, &manager] {
        if (!Console::out(output.render(takeStatusSnapshot(manager), output.recentRecord())))
            QCoreApplication::exit(0);
    });
    QTimer readerWatch;
    QObject::connect(&readerWatch, &QTimer::timeout, qApp, [] {
        if (outputReaderGone())
            QCoreApplication::exit(0);
    });
    readerWatch.start(std::chrono::seconds(1));
    // Figures from before a suspend are stale at once: ask again on waking,
    // not when the rest of the interval has run on the clock that stopped.
    ClockWakeMonitor wake(std::chrono::seconds(5));
    QObject::connect(&wake, &WakeMonitor::woke, &manager, &UsageManager::refresh);
    manager.refresh();
    return QCoreApplication::exec();
}

} // namespace

int runStatusCommand(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotix"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

    StatusArguments arguments;
    CommandLine &command = arguments.command;
    if (const auto exitStatus = command.parse(QCoreApplication::arguments()))
        return *exitStatus;
    const QStringList positional = command.parser().positionalArguments();
    if (positional != QStringList{u"status"_s})
        return command.usageError(u"unexpected argument \"%1\""_s.arg(positional.value(1)));

    QString settingsProblem;
    const std::unique_ptr<QSettings> userSettings = openUserSettings(&settingsProblem);
    QSettings &settings = *userSettings;
    if (!settingsProblem.isEmpty())
        Console::err(settingsProblem + u'\n');
    StatusOutput output;
    if (const std::optional<QString> usageError = chooseOutput(arguments, settings, &output))
        return command.usageError(*usageError);
    output.historyPath = arguments.command.parser().isSet(arguments.demoOption) ? HistoryStore::demoPath()
                                                                                : HistoryStore::defaultPath();

    const bool following = command.parser().isSet(arguments.followOption);
    // Loading SQLite and reading the record take about as long as an answer:
    // on a thread of their own they overlap the set-up, the requests and the wait.
    std::future<QList<HistorySample>> record;
    if (!following && output.projects())
        record = std::async(std::launch::async, [&output] { return output.recentRecord(); });

    QString error;
    // One run asks each provider once; a run of --follow reads anew each time.
    std::optional<ProviderSetup> setup = makeProviderSetup(command.parser().isSet(arguments.demoOption), &error,
                                                           following ? LoginReads::EveryTime : LoginReads::Once);
    if (!setup) {
        Console::err(error + u'\n');
        return CommandLine::InvalidInvocation;
    }
    // The extra accounts of the settings follow the default ones.
    setup->providers = withAccounts(setup->providers, setup->accounts(accountsFromSettings(settings)));
    if (following)
        return follow(*setup, output, settings);
    const int status = printOnce(*setup, output, std::move(record));
    Console::endWithoutTeardown(status);
    return status;
}
