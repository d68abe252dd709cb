#include "providers/ProcessProvider.h"

#include "core/FetchResultWire.h"
#include "core/Logging.h"
#include "providers/AccountSetup.h"
#include "providers/PlatformKeychain.h"
#include "providers/ProviderRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

class ProcessFetchJob : public FetchJob
{
public:
    ProcessFetchJob(const QString &id, const FetchProgram &program, const QStringList &arguments, QObject *parent)
        : FetchJob(parent)
        , m_id(id)
        , m_process(new QProcess(this))
    {
        m_process->setProgram(program.path);
        m_process->setArguments(arguments);
        m_process->setStandardInputFile(QProcess::nullDevice());
        connect(m_process, &QProcess::readyReadStandardOutput, this, &ProcessFetchJob::readAnswer);
        connect(m_process, &QProcess::readyReadStandardError, this, &ProcessFetchJob::readLog);
        connect(m_process, &QProcess::finished, this, &ProcessFetchJob::exited);
        connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            // The other errors end in finished(); this one never starts.
            if (error == QProcess::FailedToStart)
                finishLater(OtherError{QCoreApplication::translate("Common", "Cannot start %1: %2")
                                           .arg(m_process->program(), m_process->errorString())});
        });
        m_hang.setSingleShot(true);
        m_hang.setInterval(program.hangLimit);
        connect(&m_hang, &QTimer::timeout, this, [this] {
            stop();
            finish(TransportError(TransportError::Code::TimedOut,
                                  QCoreApplication::translate("Common", "The usage check did not end in time.")));
        });
    }

    ~ProcessFetchJob() override { stop(); }

    void start()
    {
        // Aborted before its turn came (its run was superseded at once).
        if (m_aborted)
            return;
        m_hang.start();
        m_process->start(QIODevice::ReadOnly);
    }

protected:
    void onAbort() override
    {
        m_aborted = true;
        stop();
    }

private:
    // Kills the program and reaps it: no zombie outlives the job.
    void stop()
    {
        m_hang.stop();
        if (m_process->state() == QProcess::NotRunning)
            return;
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
    }

    void readAnswer()
    {
        m_answer += m_process->readAllStandardOutput();
        if (m_answer.size() > FetchResultWire::MaxLineBytes) {
            stop();
            finish(OtherError{QCoreApplication::translate("Common", "The usage check's answer is too long.")});
        }
    }

    // Its warnings go to this program's log, a line at a time.
    void readLog()
    {
        m_log += m_process->readAllStandardError();
        qsizetype end;
        while ((end = m_log.indexOf('\n')) >= 0) {
            qCWarning(lcNetwork).noquote() << m_id << QString::fromUtf8(m_log.left(end));
            m_log.remove(0, end + 1);
        }
        if (m_log.size() > 64 * 1024) // no line is that long; keep memory bounded
            m_log.clear();
    }

    void exited(int exitCode, QProcess::ExitStatus status)
    {
        m_hang.stop();
        readAnswer();
        readLog();
        if (!m_log.isEmpty())
            qCWarning(lcNetwork).noquote() << m_id << QString::fromUtf8(m_log);
        if (status == QProcess::CrashExit) {
            finish(OtherError{QCoreApplication::translate("Common", "The usage check stopped unexpectedly.")});
            return;
        }
        if (exitCode != 0) {
            finish(OtherError{
                QCoreApplication::translate("Common", "The usage check failed (exit status %1).").arg(exitCode)});
            return;
        }
        QString error;
        std::optional<FetchResult> result = FetchResultWire::decode(m_answer, &error);
        if (!result) {
            finish(OtherError{
                QCoreApplication::translate("Common", "The usage check gave no readable answer: %1").arg(error)});
            return;
        }
        finish(std::move(*result));
    }

    QString m_id;
    QProcess *m_process;
    QTimer m_hang;
    QByteArray m_answer;
    QByteArray m_log;
    bool m_aborted = false;
};

bool hasLogin(const LoginReader &login)
{
    return login().has_value();
}

} // namespace

FetchProgram defaultFetchProgram()
{
    FetchProgram program;
#ifdef Q_OS_MACOS
    program.path = QCoreApplication::applicationFilePath();
#else
    program.path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(u"quotix-status"_s);
#endif
    program.arguments = {u"fetch-once"_s};
    return program;
}

ProcessProvider::ProcessProvider(QString id, QString name, std::function<bool()> available, FetchProgram program,
                                 bool demo)
    : m_id(std::move(id))
    , m_name(std::move(name))
    , m_available(std::move(available))
    , m_program(std::move(program))
    , m_demo(demo)
{}

FetchJob *ProcessProvider::fetchUsage(QObject *parent)
{
    QStringList arguments = m_program.arguments;
    arguments.append(m_id);
    if (m_demo)
        arguments += {u"--demo"_s, QString::number(m_attempts)};
    arguments += m_program.trailing;
    ++m_attempts;
    auto *job = new ProcessFetchJob(m_id, m_program, arguments, parent);
    // Started from the event loop: finished() never comes inside this call.
    QTimer::singleShot(0, job, [job] { job->start(); });
    return job;
}

std::optional<ProviderSetup> makeProcessProviderSetup(bool demo, const FetchProgram &program, QString *error)
{
    // A bad override stops the tray at once, not at its first check.
    const std::optional<EndpointOverrides> overrides = endpointOverrides(error);
    if (!overrides)
        return std::nullopt;
    static std::once_flag announced;
    if (!demo) {
        std::call_once(announced, [] {
            for (const QString &line : endpointOverrideNotices())
                std::fprintf(stderr, "%s\n", qUtf8Printable(line));
        });
    }
    const auto always = [] { return true; };
    ProviderSetup setup;
    const std::shared_ptr<const CredentialStore> store = createPlatformCredentialStore();
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        std::function<bool()> available = always;
        if (!demo)
            available = [login = descriptor.credentials(store)] { return hasLogin(login); };
        setup.providers.append(std::make_shared<ProcessProvider>(descriptor.look.id, descriptor.look.name,
                                                                 std::move(available), program, demo));
    }
    setup.accounts = [program, demo, always](const QList<ExtraAccount> &accounts) {
        return makeAccountProviders(
            accounts, [&](const ProviderDescriptor &descriptor, const ExtraAccount &account, const QString &id) {
                std::function<bool()> available = always;
                if (!demo)
                    available = [login = descriptor.accountCredentials(account.folder)] { return hasLogin(login); };
                return std::make_shared<ProcessProvider>(id, descriptor.look.name, std::move(available), program, demo);
            });
    };
    return setup;
}
