#include "cli/HistoryCommand.h"

#include "core/CommandLine.h"
#include "core/Console.h"
#include "history/HistoryStore.h"
#include "presentation/HistoryFormat.h"
#include "presentation/StatusBarFormat.h"
#include "presentation/Translations.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

std::optional<QDateTime> parseSince(const QString &text, const QDateTime &now)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() >= 2) {
        bool ok = false;
        const qint64 count = QStringView(trimmed).chopped(1).toLongLong(&ok);
        const QChar unit = trimmed.back();
        const qint64 unitSeconds = unit == u'm' ? 60
            : unit == u'h'                      ? 3600
            : unit == u'd'                      ? 86400
            : unit == u'w'                      ? 604800
                                                : 0;
        if (ok && unitSeconds > 0 && count >= 0 && count <= 100 * 366)
            return now.addSecs(-count * unitSeconds);
    }
    QDateTime moment = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!moment.isValid()) {
        const QDate day = QDate::fromString(trimmed, Qt::ISODate);
        if (day.isValid())
            moment = day.startOfDay();
    }
    if (moment.isValid())
        return moment;
    return std::nullopt;
}

namespace {

// "claude, codex or gemini"
QString providerIdList()
{
    QStringList ids = StatusTemplate::providerIds();
    const QString last = ids.isEmpty() ? QString() : ids.takeLast();
    return ids.isEmpty() ? last : ids.join(u", "_s) + u" or "_s + last;
}

// A provider's id, or an extra account's: its provider's id, "-" and its
// label's slug.
bool isProviderOrAccount(const QString &id)
{
    if (!StatusTemplate::providerIds().contains(id.section(u'-', 0, 0)))
        return false;
    if (!id.contains(u'-'))
        return true;
    const QString account = id.section(u'-', 1);
    return !account.isEmpty() && std::all_of(account.cbegin(), account.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

enum class Output { Text, Csv, JsonLines };

int printHistory(const HistoryQuery &query, Output output, bool demo, const QDateTime &now)
{
    if (output == Output::Text)
        installTranslations(); // people read the text; programs read CSV and JSON
    QString error;
    const QString path = demo ? HistoryStore::demoPath() : HistoryStore::defaultPath();
    const std::unique_ptr<HistoryStore> store = HistoryStore::openForReading(path, &error);
    if (!store) {
        Console::err(u"quotix history: "_s + error + u'\n');
        return 1;
    }
    const QList<HistorySample> samples = store->samples(query);
    const bool written = output == Output::Csv ? Console::out(historyCsv(samples))
        : output == Output::JsonLines          ? Console::out(historyJsonLines(samples))
                                               : Console::out(historyText(samples, *query.since, now));
    // An export cut short by a full disk is no success.
    if (!written) {
        const int error = errno;
        Console::err(u"quotix history: could not write the output: %1\n"_s.arg(qt_error_string(error)));
        return 1;
    }
    return 0;
}

} // namespace

int runHistoryCommand(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotix"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

    CommandLine command(u"quotix history"_s, u"Try 'quotix history --help'."_s,
                        u"Prints the usage figures the tray application recorded after each check.\n"
                        "Checks in a row with the same figures are one sample, from \"time\" to \"until\".\n"
                        "\n"
                        "Exit status: 0 when the history was read (also when the period holds nothing);\n"
                        "1 when there is no history to read or the output could not be written;\n"
                        "2 for an invalid invocation."_s);
    QCommandLineParser &parser = command.parser();
    const QCommandLineOption sinceOption(
        u"since"_s, u"Start of the period: 90m, 36h, 7d, 2w or an ISO 8601 date (default 7d)."_s, u"WHEN"_s);
    const QString providerIds = providerIdList();
    const QCommandLineOption providerOption(u"provider"_s, u"Only this provider: %1, or an extra account such as claude-work."_s.arg(providerIds), u"ID"_s);
    const QCommandLineOption limitOption(u"limit"_s, u"Only this limit: its name, or session or weekly."_s, u"NAME"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Print one JSON object per sample and line."_s);
    const QCommandLineOption csvOption(u"csv"_s, u"Print CSV (RFC 4180) with a header row."_s);
    const QCommandLineOption demoOption(u"demo"_s, u"Read the history the tray recorded with --demo."_s);
    parser.addOptions({sinceOption, providerOption, limitOption, jsonOption, csvOption, demoOption});
    parser.addPositionalArgument(u"history"_s, u"Print the recorded usage."_s);

    if (const auto exitStatus = command.parse(QCoreApplication::arguments()))
        return *exitStatus;
    const QStringList positional = parser.positionalArguments();
    if (positional != QStringList{u"history"_s})
        return command.usageError(u"unexpected argument \"%1\""_s.arg(positional.value(1)));
    if (parser.isSet(jsonOption) && parser.isSet(csvOption))
        return command.usageError(u"--json and --csv exclude each other"_s);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    HistoryQuery query;
    const QString sinceText = parser.isSet(sinceOption) ? parser.value(sinceOption) : u"7d"_s;
    query.since = parseSince(sinceText, now);
    if (!query.since)
        return command.usageError(
            u"--since takes a period such as 7d, 36h or 90m, or an ISO 8601 date, not \"%1\""_s.arg(sinceText));
    if (*query.since > now)
        return command.usageError(u"--since %1 lies in the future"_s.arg(sinceText));
    if (parser.isSet(providerOption)) {
        query.provider = parser.value(providerOption).toLower();
        if (!isProviderOrAccount(query.provider))
            return command.usageError(
                u"--provider takes %1, not \"%2\""_s.arg(providerIds, parser.value(providerOption)));
    }
    if (parser.isSet(limitOption)) {
        query.limit = parser.value(limitOption).trimmed();
        if (query.limit.isEmpty())
            return command.usageError(u"--limit needs a name"_s);
    }

    const Output output = parser.isSet(csvOption) ? Output::Csv
        : parser.isSet(jsonOption)                 ? Output::JsonLines
                                                   : Output::Text;
    return printHistory(query, output, parser.isSet(demoOption), now);
}
