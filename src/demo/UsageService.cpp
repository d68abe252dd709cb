#include "demo/UsageService.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

#include <sys/socket.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// Bounds on what one request may hold; anything larger is refused, so a
// misbehaving client cannot make the service grow without limit.
constexpr qsizetype MaxHeaderBytes = 64 * 1024;
constexpr qsizetype MaxHeaderCount = 100;
constexpr qint64 MaxBodyBytes = 1024 * 1024;
// A connection that never takes its answer is cut.
constexpr auto IdleTimeout = 30s;
// A whole request is a few hundred bytes on loopback: a connection without one
// this long after it was accepted is cut, so idle connections cannot hold
// every place for long.
constexpr auto RequestTimeout = 2s;
// How long a client may take to close after the answer.
constexpr auto LingerTimeout = 2s;
constexpr auto CloseGrace = 500ms;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK"_ba;
    case 201: return "Created"_ba;
    case 204: return "No Content"_ba;
    case 301: return "Moved Permanently"_ba;
    case 302: return "Found"_ba;
    case 303: return "See Other"_ba;
    case 307: return "Temporary Redirect"_ba;
    case 308: return "Permanent Redirect"_ba;
    case 400: return "Bad Request"_ba;
    case 401: return "Unauthorized"_ba;
    case 403: return "Forbidden"_ba;
    case 404: return "Not Found"_ba;
    case 405: return "Method Not Allowed"_ba;
    case 413: return "Content Too Large"_ba;
    case 429: return "Too Many Requests"_ba;
    case 431: return "Request Header Fields Too Large"_ba;
    case 500: return "Internal Server Error"_ba;
    case 501: return "Not Implemented"_ba;
    case 502: return "Bad Gateway"_ba;
    case 503: return "Service Unavailable"_ba;
    case 504: return "Gateway Timeout"_ba;
    default: return "Status"_ba;
    }
}

ServiceAnswer errorAnswer(int status, const QByteArray &message)
{
    ServiceAnswer answer;
    answer.status = status;
    answer.body = R"({"error":{"type":"service_error","message":")"_ba + message + R"("}})"_ba;
    return answer;
}

bool isTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

} // namespace

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

// A gzip member of the bytes. qCompress() writes a zlib stream: a 4-byte
// length, a 2-byte header, the deflate data and a 4-byte checksum; gzip wants
// the same deflate data in its own frame.
QByteArray gzipped(const QByteArray &data)
{
    const QByteArray zlib = qCompress(data, 9);
    const QByteArray deflate = zlib.mid(6, zlib.size() - 10);
    quint32 crc = 0xffffffffu;
    for (const char byte : data) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    const auto le32 = [](quint32 value) {
        QByteArray bytes(4, Qt::Uninitialized);
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((value >> (8 * i)) & 0xff);
        return bytes;
    };
    return QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10) + deflate + le32(crc)
        + le32(static_cast<quint32>(data.size()));
}

// One accepted connection: reads one request, hands it to the service and
// writes the answer, then closes. Lives as a child of its socket, so both go
// together.
class ServiceConnection : public QObject
{
public:
    ServiceConnection(QTcpSocket *socket, UsageService *service)
        : QObject(socket)
        , m_socket(socket)
        , m_service(service)
        , m_idle(new QTimer(this))
    {
        m_idle->setSingleShot(true);
        connect(m_idle, &QTimer::timeout, this, [this] {
            m_socket->abort();
            m_socket->deleteLater();
        });
        m_idle->start(RequestTimeout);
        connect(m_socket, &QTcpSocket::readyRead, this, &ServiceConnection::onReadyRead);
    }

private:
    enum class Phase {
        Head,
        Body,
        Done
    };

    void onReadyRead()
    {
        if (m_phase == Phase::Done) {
            m_socket->readAll(); // only one request per connection
            return;
        }
        m_buffer += m_socket->readAll();
        if (m_phase == Phase::Head)
            parseHead();
        if (m_phase == Phase::Body && m_buffer.size() >= m_contentLength) {
            m_request.body = m_buffer.left(m_contentLength);
            m_buffer.clear();
            handleRequest();
        }
    }

    void parseHead()
    {
        while (m_phase == Phase::Head) {
            const qsizetype end = m_buffer.indexOf('\n');
            if (end < 0) {
                if (m_buffer.size() + m_headBytes > MaxHeaderBytes)
                    refuse(431, "Request head too large"_ba);
                return;
            }
            m_headBytes += end + 1;
            if (m_headBytes > MaxHeaderBytes) {
                refuse(431, "Request head too large"_ba);
                return;
            }
            QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            if (!m_sawRequestLine) {
                // Tolerate blank lines before the request line.
                if (line.isEmpty())
                    continue;
                if (!parseRequestLine(line))
                    return;
                m_sawRequestLine = true;
            } else if (line.isEmpty()) {
                finishHead();
            } else if (!parseHeaderLine(line)) {
                return;
            }
        }
    }

    bool parseRequestLine(const QByteArray &line)
    {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 3 || !isToken(parts[0]) || !parts[2].startsWith("HTTP/1."_ba)) {
            refuse(400, "Malformed request line"_ba);
            return false;
        }
        QByteArray target = parts[1];
        if (target.startsWith("http://"_ba) || target.startsWith("https://"_ba)) {
            const QUrl url(QString::fromLatin1(target), QUrl::StrictMode);
            if (!url.isValid()) {
                refuse(400, "Malformed request target"_ba);
                return false;
            }
            target = url.path(QUrl::FullyEncoded).toLatin1();
            if (target.isEmpty())
                target = "/"_ba;
        } else if (!target.startsWith('/')) {
            refuse(400, "Malformed request target"_ba);
            return false;
        }
        const qsizetype query = target.indexOf('?');
        if (query >= 0)
            target.truncate(query);
        m_request.method = parts[0];
        m_request.path = target;
        return true;
    }

    bool parseHeaderLine(const QByteArray &line)
    {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon))) {
            refuse(400, "Malformed header"_ba);
            return false;
        }
        if (m_request.headers.size() >= MaxHeaderCount) {
            refuse(431, "Too many headers"_ba);
            return false;
        }
        m_request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
        return true;
    }

    void finishHead()
    {
        if (!m_request.header("Transfer-Encoding"_ba).isEmpty()) {
            refuse(501, "Transfer-Encoding is not supported"_ba);
            return;
        }
        m_contentLength = 0;
        bool seen = false;
        for (const auto &[name, value] : std::as_const(m_request.headers)) {
            if (name.compare("Content-Length"_ba, Qt::CaseInsensitive) != 0)
                continue;
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            if (!ok || length < 0 || (seen && length != m_contentLength)) {
                refuse(400, "Malformed Content-Length"_ba);
                return;
            }
            seen = true;
            m_contentLength = length;
        }
        if (m_contentLength > MaxBodyBytes) {
            refuse(413, "Request body too large"_ba);
            return;
        }
        m_phase = Phase::Body;
    }

    void handleRequest()
    {
        m_phase = Phase::Done;
        m_idle->stop();
        if (!m_service)
            return;
        m_service->record(m_request);
        if (!m_service)
            return;
        const ServiceAnswer answer = m_service->answerFor(m_request);
        if (answer.delay > 0ms)
            QTimer::singleShot(answer.delay, this, [this, answer] { send(answer); });
        else
            send(answer);
    }

    void refuse(int status, const QByteArray &message)
    {
        m_phase = Phase::Done;
        m_buffer.clear();
        send(errorAnswer(status, message));
    }

    void send(const ServiceAnswer &answer)
    {
        m_idle->start(IdleTimeout); // bounds how long a client may take to read the answer
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return; // the client left while the answer was delayed
        if (answer.fault == ServiceAnswer::Fault::DropConnection) {
            closeWhenWritten();
            return;
        }

        QByteArray head
            = "HTTP/1.1 "_ba + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n"_ba;
        bool hasContentType = false;
        for (const auto &[name, value] : answer.headers) {
            // The framing headers are ours; a scenario may not break them.
            if (name.compare("Content-Length"_ba, Qt::CaseInsensitive) == 0
                || name.compare("Connection"_ba, Qt::CaseInsensitive) == 0
                || name.compare("Transfer-Encoding"_ba, Qt::CaseInsensitive) == 0)
                continue;
            if (name.compare("Content-Type"_ba, Qt::CaseInsensitive) == 0)
                hasContentType = true;
            head += name + ": "_ba + value + "\r\n"_ba;
        }
        if (!hasContentType)
            head += "Content-Type: application/json\r\n"_ba;
        using Fault = ServiceAnswer::Fault;
        const QByteArray body = answer.fault == Fault::GzipBody ? gzipped(answer.body) : answer.body;
        if (answer.fault == Fault::GzipBody)
            head += "Content-Encoding: gzip\r\n"_ba;
        if (answer.fault == Fault::EndlessChunks)
            head += "Transfer-Encoding: chunked\r\n"_ba;
        else
            head += "Content-Length: "_ba + QByteArray::number(body.size()) + "\r\n"_ba;
        head += "Connection: close\r\n\r\n"_ba;

        m_socket->write(head);
        if (m_request.method == "HEAD"_ba) {
            closeWhenWritten();
            return;
        }
        switch (answer.fault) {
        case Fault::EndlessChunks: sendChunksForever(); return;
        case Fault::Trickle: trickle(body, answer.trickleInterval); return;
        case Fault::HeadersThenHold:
            m_idle->start(IdleTimeout); // held until the client gives up, or for this long
            return;
        case Fault::HeadersThenClose: break; // the head alone, then closed
        case Fault::TruncateBody: m_socket->write(body.left(body.size() / 2)); break;
        default:
            // A whole answer: an HTTP client closes once it has read the body
            // it was announced, and our own close racing its last read made Qt
            // now and then take a body cut short for a complete one. So ours
            // comes only after a grace period, for clients that wait for it.
            m_socket->write(body);
            QTimer::singleShot(CloseGrace, this, &ServiceConnection::closeWhenWritten);
            return;
        }
        closeWhenWritten();
    }

    // One chunk more each time the last has gone out: the client decides
    // how much it takes, and we never hold more than one chunk.
    void sendChunksForever()
    {
        static const QByteArray chunk = "4000\r\n"_ba + QByteArray(0x4000, ' ') + "\r\n"_ba;
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
            if (m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState) {
                m_idle->start(IdleTimeout);
                m_socket->write(chunk);
            }
        });
        m_socket->write(chunk);
    }

    void trickle(const QByteArray &body, std::chrono::milliseconds interval)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer, body, sent = qsizetype(0)]() mutable {
            if (sent >= body.size() || m_socket->state() != QAbstractSocket::ConnectedState) {
                timer->stop();
                closeWhenWritten();
                return;
            }
            m_idle->start(IdleTimeout);
            m_socket->write(body.mid(sent++, 1));
        });
        timer->start(interval);
    }

    // Closing outright while the client is still sending (a refused request,
    // a body we did not wait for) would reset the connection, and a reset may
    // discard our answer on the client's side before it is read. So: finish
    // writing, end our direction only, read and drop what still comes until
    // the client closes, and cut it after a short grace period.
    void closeWhenWritten()
    {
        if (m_socket->bytesToWrite() > 0) {
            connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
                if (m_socket->bytesToWrite() == 0)
                    endOurSide();
            });
            return;
        }
        endOurSide();
    }

    void endOurSide()
    {
        if (m_closing)
            return;
        m_closing = true;
        if (m_socket->state() != QAbstractSocket::ConnectedState
            || ::shutdown(m_socket->socketDescriptor(), SHUT_WR) != 0) {
            m_socket->disconnectFromHost();
            return;
        }
        m_idle->start(LingerTimeout);
    }

    QTcpSocket *m_socket;
    QPointer<UsageService> m_service;
    QTimer *m_idle;
    Phase m_phase = Phase::Head;
    QByteArray m_buffer;
    qsizetype m_headBytes = 0;
    bool m_sawRequestLine = false;
    qint64 m_contentLength = 0;
    bool m_closing = false;
    RecordedRequest m_request;
};

UsageService::UsageService(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &UsageService::acceptConnections);
}

UsageService::~UsageService() = default;

bool UsageService::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 UsageService::port() const
{
    return m_server->serverPort();
}

QUrl UsageService::url(const QString &path) const
{
    QUrl url;
    url.setScheme(u"http"_s);
    url.setHost(u"127.0.0.1"_s);
    url.setPort(port());
    url.setPath(path);
    return url;
}

QString UsageService::errorString() const
{
    return m_server->errorString();
}

void UsageService::setDefaultAnswer(const QString &path, const ServiceAnswer &answer)
{
    m_answerFactories.remove(path);
    m_defaultAnswers.insert(path, answer);
}

void UsageService::setDefaultAnswerFactory(const QString &path, AnswerFactory factory)
{
    m_defaultAnswers.remove(path);
    m_answerFactories.insert(path, std::move(factory));
}

void UsageService::enqueue(const QString &path, const ServiceAnswer &answer)
{
    m_queues[path].append(answer);
}

void UsageService::clearAnswers()
{
    m_defaultAnswers.clear();
    m_answerFactories.clear();
    m_queues.clear();
}

QList<RecordedRequest> UsageService::requests() const
{
    return m_requests;
}

void UsageService::clearRequests()
{
    m_requests.clear();
}

void UsageService::setKeepsRequests(bool keep)
{
    m_keepsRequests = keep;
    if (!keep)
        m_requests.clear();
}

void UsageService::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        // Inside the tray process (the demo) nobody may tie up more than this.
        if (m_openConnections >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        ++m_openConnections;
        auto *connection = new ServiceConnection(socket, this);
        connect(connection, &QObject::destroyed, this, [this] { --m_openConnections; });
    }
}

ServiceAnswer UsageService::answerFor(const RecordedRequest &request)
{
    const QString path = QString::fromLatin1(request.path);
    auto queue = m_queues.find(path);
    if (queue != m_queues.end() && !queue->isEmpty()) {
        ServiceAnswer answer = queue->takeFirst();
        if (queue->isEmpty())
            m_queues.erase(queue);
        return answer;
    }
    if (const auto factory = m_answerFactories.constFind(path); factory != m_answerFactories.constEnd())
        return (*factory)();
    if (const auto answer = m_defaultAnswers.constFind(path); answer != m_defaultAnswers.constEnd())
        return *answer;
    return errorAnswer(404, "No answer for this path"_ba);
}

void UsageService::record(const RecordedRequest &request)
{
    if (m_keepsRequests)
        m_requests.append(request);
    Q_EMIT requestReceived(request);
}
