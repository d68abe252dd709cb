#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The one shape of every quotix command: a QCommandLineParser that answers
// --help and --version on stdout, and a wrong use with a message on stderr
// and exit status 2.
class CommandLine
{
public:
    static constexpr int InvalidInvocation = 2;

    // name prefixes error messages ("quotix status"); hint is the line after
    // them that says where to look ("Try 'quotix status --help'.").
    CommandLine(QString name, QString hint, const QString &description);
    // The description is written only when help is asked for: a one-shot
    // command should not pay for long help texts on every run.
    CommandLine(QString name, QString hint, std::function<QString()> description);

    QCommandLineParser &parser() { return m_parser; }
    const QCommandLineParser &parser() const { return m_parser; }

    // Absent when the command goes on; otherwise the exit status after help,
    // the version or a usage error was printed.
    std::optional<int> parse(const QStringList &arguments);
    // Looks only for --help and --version, so they can be answered before
    // anything else (such as the GUI toolkit's own options) is understood.
    std::optional<int> answerHelpOrVersion(const QStringList &arguments);

    // Prints "<name>: message" and the hint to stderr; returns 2.
    int usageError(const QString &message) const;

private:
    std::optional<int> answer();

    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
    QString m_name;
    QString m_hint;
    std::function<QString()> m_description;
};
