#include "providers/SecurityToolStore.h"

#include <QProcess>

#include <utility>

using namespace Qt::StringLiterals;

SecurityToolStore::SecurityToolStore(QString program)
    : m_program(std::move(program))
{}

std::optional<QByteArray> SecurityToolStore::find(const QString &item) const
{
    QProcess process;
    process.setProgram(m_program);
    process.setArguments({u"find-generic-password"_s, u"-s"_s, item, u"-w"_s});
    // The tool's complaints are never shown; the exit status says enough.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return std::nullopt;

    // QProcess keeps draining the pipe into its own buffer while we wait, so a
    // large item cannot stall the child.
    process.waitForFinished(-1);
    const QByteArray output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return output;
}
