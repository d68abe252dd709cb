#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QTcpServer;
class QTcpSocket;

// What the service answers to one request on one path.
struct ServiceAnswer
{
    enum class Fault {
        None,
        DropConnection, // close the connection without answering
        TruncateBody,   // announce the full Content-Length, send half the body, close
        // Hostile answers, each with the status and headers as usual:
        GzipBody,         // the body gzip-compressed, with "Content-Encoding: gzip"
        EndlessChunks,    // a chunked body that never ends, sent as fast as it is read
        Trickle,          // the body one byte per trickleInterval
        HeadersThenHold,  // announce the body's length, send none of it, keep the connection open
        HeadersThenClose, // announce the body's length, send none of it, close
    };

    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra headers, e.g. Location
    std::chrono::milliseconds delay{0};           // before the answer starts
    Fault fault = Fault::None;
    std::chrono::milliseconds trickleInterval{1000}; // for Fault::Trickle
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

// A small HTTP/1.1 service on 127.0.0.1 that stands in for the usage
// endpoints in tests, the benchmarks and the demo. Each path answers from its
// queue of one-off answers first, then with its default answer; a path with
// neither answers 404.
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
    void enqueue(const QString &path, const ServiceAnswer &answer);
    void clearAnswers();

    QList<RecordedRequest> requests() const;
    void clearRequests();
    // Keeps received requests for requests() (the default); a long-running
    // service that only forwards requestReceived turns this off.
    void setKeepsRequests(bool keep);

Q_SIGNALS:
    void requestReceived(const RecordedRequest &request);

private:
    friend class ServiceConnection;

    void acceptConnections();
    ServiceAnswer answerFor(const RecordedRequest &request);
    void record(const RecordedRequest &request);

    QTcpServer *m_server;
    QHash<QString, ServiceAnswer> m_defaultAnswers;
    QHash<QString, AnswerFactory> m_answerFactories;
    QHash<QString, QList<ServiceAnswer>> m_queues;
    QList<RecordedRequest> m_requests;
    bool m_keepsRequests = true;
    int m_openConnections = 0;
};
