#include "providers/SecurityToolKeychain.h"

#include <QProcess>

#include <utility>

using namespace Qt::StringLiterals;

SecurityToolKeychain::SecurityToolKeychain(QString program)
    : m_program(std::move(program))
{
}

ToolResult SecurityToolKeychain::findGenericPassword(const QString &service) const
{
    ToolResult result;
    QProcess process;
    process.setProgram(m_program);
    process.setArguments({u"find-generic-password"_s, u"-s"_s, service, u"-w"_s});
    // The tool's complaints are never shown; the exit status says enough.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return result;
    result.launched = true;

    // QProcess keeps draining the pipe into its own buffer while we wait, so a
    // large item cannot stall the child.
    process.waitForFinished(-1);
    result.output = process.readAllStandardOutput();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitStatus = process.exitCode();
    return result;
}
