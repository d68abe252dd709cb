#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QTcpServer;
class QTcpSocket;
class QTimer;
class UsageService;

// What the service answers to one request on one path.
struct ServiceAnswer
{
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra headers, e.g. Location
    std::chrono::milliseconds delay{0};           // before the answer starts
};

// One request as received, headers in the order they arrived.
struct RecordedRequest
{
    QByteArray method;
    QByteArray path;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The first header of that name, compared case-insensitively; empty if absent.
    QByteArray header(const QByteArray &name) const;
};

// One accepted connection: reads one request, hands it to its service and
// writes what the service answers, then closes. Lives as a child of its
// socket, so both go together.
class ServiceConnection : public QObject
{
public:
    ServiceConnection(QTcpSocket *socket, UsageService *service);

    QTcpSocket *socket() const { return m_socket; }
    // Runs write after the delay, unless the client has left by then.
    void later(std::chrono::milliseconds delay, std::function<void()> write);
    // The status line, the answer's own headers and ours; framing is the
    // length or transfer-encoding line(s), each ending in CRLF.
    void writeHead(const ServiceAnswer &answer, const QByteArray &framing);
    // The whole answer, closed once the client has had time to read it.
    void writeWhole(const ServiceAnswer &answer);
    // Restarts the cut for a connection that stalls.
    void keepAlive();
    // Ends our side once everything is written.
    void closeWhenWritten();

private:
    enum class Phase {
        Head,
        Body,
        Done
    };

    void onReadyRead();
    void parseHead();
    bool parseRequestLine(const QByteArray &line);
    bool parseHeaderLine(const QByteArray &line);
    void finishHead();
    void handleRequest();
    void refuse(int status, const QByteArray &message);
    void endOurSide();

    QTcpSocket *m_socket;
    QPointer<UsageService> m_service; // a listener to requestReceived may end the service
    QTimer *m_idle;
    Phase m_phase = Phase::Head;
    QByteArray m_buffer;
    qsizetype m_headBytes = 0;
    bool m_sawRequestLine = false;
    qint64 m_contentLength = 0;
    bool m_closing = false;
    RecordedRequest m_request;
};

// A small HTTP/1.1 service on 127.0.0.1 that stands in for the usage
// endpoints in the demo, the tests and the benchmarks. Each path answers with
// its default answer; a path without one answers 404.
class UsageService : public QObject
{
    Q_OBJECT
public:
    static constexpr QLatin1StringView ClaudePath{"/api/oauth/usage"};
    static constexpr QLatin1StringView CodexPath{"/backend-api/wham/usage"};
    // Connections beyond this many at once are closed as soon as they come.
    static constexpr int MaxConnections = 32;

    using AnswerFactory = std::function<ServiceAnswer()>;

    explicit UsageService(QObject *parent = nullptr);
    ~UsageService() override;

    // Binds 127.0.0.1 (port 0: any free port).
    bool listen(quint16 port = 0);
    quint16 port() const;
    QUrl url(const QString &path) const;
    // Why listen() failed.
    QString errorString() const;

    void setDefaultAnswer(const QString &path, const ServiceAnswer &answer);
    // A default answer made afresh for every request, for documents whose
    // reset times follow the clock.
    void setDefaultAnswerFactory(const QString &path, AnswerFactory factory);

Q_SIGNALS:
    void requestReceived(const RecordedRequest &request);

protected:
    friend class ServiceConnection;

    // Answers one request; by default with the path's answer, written whole.
    virtual void respond(ServiceConnection &connection, const RecordedRequest &request);
    // The path's default answer, or a 404.
    ServiceAnswer defaultAnswer(const QString &path) const;
    static ServiceAnswer errorAnswer(int status, const QByteArray &message);

private:
    void acceptConnections();

    QTcpServer *m_server;
    QHash<QString, ServiceAnswer> m_defaultAnswers;
    QHash<QString, AnswerFactory> m_answerFactories;
    int m_openConnections = 0;
};
