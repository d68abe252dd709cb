#include "core/CommandLine.h"

#include "core/Console.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

CommandLine::CommandLine(QString name, QString hint, const QString &description)
    : CommandLine(std::move(name), std::move(hint), [description] { return description; })
{}

CommandLine::CommandLine(QString name, QString hint, std::function<QString()> description)
    : m_help(m_parser.addHelpOption())
    , m_version(m_parser.addVersionOption())
    , m_name(std::move(name))
    , m_hint(std::move(hint))
    , m_description(std::move(description))
{}

std::optional<int> CommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return usageError(m_parser.errorText());
    return answer();
}

std::optional<int> CommandLine::answerHelpOrVersion(const QStringList &arguments)
{
    // A failed parse still records the options it knew.
    m_parser.parse(arguments);
    return answer();
}

int CommandLine::usageError(const QString &message) const
{
    Console::err(m_name + u": "_s + message + u'\n' + m_hint + u'\n');
    return InvalidInvocation;
}

std::optional<int> CommandLine::answer()
{
    if (m_parser.isSet(m_help) || m_parser.isSet(u"help-all"_s)) {
        // The usage line would show argv[0] with its full path, or a
        // placeholder before the application object exists.
        const QString executable
            = QCoreApplication::instance() ? QCoreApplication::arguments().value(0) : u"<executable_name>"_s;
        m_parser.setApplicationDescription(m_description());
        QString help = m_parser.helpText();
        help.replace(u"Usage: "_s + executable, u"Usage: quotix"_s);
        Console::out(help);
        return 0;
    }
    if (m_parser.isSet(m_version)) {
        Console::out(u"quotix "_s + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    return std::nullopt;
}
