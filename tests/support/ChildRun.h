#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>

// What a child said by the time it ended: exit code -2 for a crash, -1 when
// it did not end within 30 s (it is killed then).
struct ChildRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonDocument json; // stdout, when it is JSON
};

// The event loop keeps turning meanwhile, so a service in this process can answer.
inline ChildRun runChild(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                         const QString &stdoutFile = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(program, arguments);
    ChildRun result;
    if (!finished.wait(30000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.json = QJsonDocument::fromJson(result.out);
    return result;
}
