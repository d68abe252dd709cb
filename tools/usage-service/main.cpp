// quotix-usage-service: the substitute usage service as a program of its own,
// for tests that run in another process, the benchmarks and trying the demo.

#include "demo/DemoData.h"
#include "fetch/DemoSetup.h"
#include "providers/ProviderRegistry.h"
#include "usage-service/ScriptedService.h"
#include "usage-service/ServiceScenario.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

bool installTerminationHandlers(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "quotix-usage-service: %s\n", qUtf8Printable(message));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"quotix-usage-service"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTIX_VERSION));

    QCommandLineParser parser;
    QStringList endpoints;
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        for (const DemoAnswer &demo : descriptor.demo)
            endpoints.append(u"  %1 (%2)"_s.arg(demo.path, descriptor.look.name));
    }
    parser.setApplicationDescription(u"Serves substitute answers for the usage endpoints on 127.0.0.1:\n%1\n"
                                     "Prints \"listening on PORT\" once bound; stops on SIGTERM or SIGINT."_s.arg(
                                         endpoints.join(u'\n')));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(u"port"_s, u"Port to bind on 127.0.0.1 (0: any free port)."_s, u"N"_s, u"0"_s);
    const QCommandLineOption scenarioOption(u"scenario"_s, u"JSON file with the answers per path."_s, u"FILE"_s);
    const QCommandLineOption demoOption(u"demo"_s, u"Answer every path with the demo documents."_s);
    const QCommandLineOption recordOption(u"record"_s, u"Append each request received to FILE as one JSON line."_s,
                                          u"FILE"_s);
    parser.addOptions({portOption, scenarioOption, demoOption, recordOption});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535)
        return fail(u"--port must be a number from 0 to 65535"_s);

    ScriptedService service;
    service.setKeepsRequests(false); // requests go to the record file, if anywhere
    if (parser.isSet(demoOption))
        DemoData::serveDemoDocuments(service);
    if (parser.isSet(scenarioOption)) {
        QFile file(parser.value(scenarioOption));
        if (!file.open(QIODevice::ReadOnly))
            return fail(u"cannot read %1: %2"_s.arg(file.fileName(), file.errorString()));
        QString error;
        if (!ServiceScenario::apply(file.readAll(), service, &error))
            return fail(u"%1: %2"_s.arg(file.fileName(), error));
    }

    QFile record;
    if (parser.isSet(recordOption)) {
        const QString path = parser.value(recordOption);
        // Only the user may read what was sent, redacted or not. A link there
        // is refused, not followed: its target's mode would be changed.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int error = errno;
            return fail(u"cannot write %1: %2"_s.arg(
                path, error == ELOOP ? u"it is a symbolic link"_s : QString::fromLocal8Bit(std::strerror(error))));
        }
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fchmod(fd, 0600) != 0) {
            ::close(fd);
            return fail(u"cannot write %1: not a regular file of ours"_s.arg(path));
        }
        if (!record.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle))
            return fail(u"cannot write %1: %2"_s.arg(path, record.errorString()));
        QObject::connect(&service, &UsageService::requestReceived, &app, [&record](const RecordedRequest &request) {
            record.write(QJsonDocument(recordedRequestJson(request)).toJson(QJsonDocument::Compact) + '\n');
            record.flush();
        });
    }

    if (!installTerminationHandlers(app))
        return fail(u"cannot install the signal handlers"_s);
    if (!service.listen(static_cast<quint16>(port)))
        return fail(u"cannot listen on 127.0.0.1:%1: %2"_s.arg(port).arg(service.errorString()));

    std::printf("listening on %u\n", static_cast<unsigned>(service.port()));
    std::fflush(stdout);
    return app.exec();
}
