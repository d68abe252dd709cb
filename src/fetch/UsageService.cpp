#include "fetch/UsageService.h"

#include <QHostAddress>
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

} // namespace

ServiceAnswer UsageService::errorAnswer(int status, const QByteArray &message)
{
    ServiceAnswer answer;
    answer.status = status;
    answer.body = R"({"error":{"type":"service_error","message":")"_ba + message + R"("}})"_ba;
    return answer;
}

namespace {

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

ServiceConnection::ServiceConnection(QTcpSocket *socket, UsageService *service)
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

void ServiceConnection::onReadyRead()
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

void ServiceConnection::parseHead()
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

bool ServiceConnection::parseRequestLine(const QByteArray &line)
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

bool ServiceConnection::parseHeaderLine(const QByteArray &line)
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

void ServiceConnection::finishHead()
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

void ServiceConnection::handleRequest()
{
    m_phase = Phase::Done;
    m_idle->stop();
    if (!m_service)
        return;
    Q_EMIT m_service->requestReceived(m_request);
    if (m_service) // a listener may have ended the service
        m_service->respond(*this, m_request);
}

void ServiceConnection::refuse(int status, const QByteArray &message)
{
    m_phase = Phase::Done;
    m_buffer.clear();
    writeWhole(UsageService::errorAnswer(status, message));
}

void ServiceConnection::later(std::chrono::milliseconds delay, std::function<void()> write)
{
    const auto writeIfThere = [this, write = std::move(write)] {
        if (m_socket->state() == QAbstractSocket::ConnectedState)
            write();
    };
    if (delay > 0ms)
        QTimer::singleShot(delay, this, writeIfThere);
    else
        writeIfThere();
}

void ServiceConnection::keepAlive()
{
    m_idle->start(IdleTimeout);
}

void ServiceConnection::writeHead(const ServiceAnswer &answer, const QByteArray &framing)
{
    keepAlive(); // bounds how long a client may take to read the answer
    QByteArray head
        = "HTTP/1.1 "_ba + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) + "\r\n"_ba;
    bool hasContentType = false;
    for (const auto &[name, value] : answer.headers) {
        // The framing headers are ours; an answer may not break them.
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
    m_socket->write(head + framing + "Connection: close\r\n\r\n"_ba);
}

void ServiceConnection::writeWhole(const ServiceAnswer &answer)
{
    writeHead(answer, "Content-Length: "_ba + QByteArray::number(answer.body.size()) + "\r\n"_ba);
    if (m_request.method == "HEAD"_ba) {
        closeWhenWritten();
        return;
    }
    // An HTTP client closes once it has read the body it was announced, and
    // our own close racing its last read made Qt now and then take a body cut
    // short for a complete one. So ours comes only after a grace period, for
    // clients that wait for it.
    m_socket->write(answer.body);
    QTimer::singleShot(CloseGrace, this, &ServiceConnection::closeWhenWritten);
}

void ServiceConnection::closeWhenWritten()
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

void ServiceConnection::endOurSide()
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

void UsageService::respond(ServiceConnection &connection, const RecordedRequest &request)
{
    const ServiceAnswer answer = defaultAnswer(QString::fromLatin1(request.path));
    connection.later(answer.delay, [&connection, answer] { connection.writeWhole(answer); });
}

ServiceAnswer UsageService::defaultAnswer(const QString &path) const
{
    if (const auto factory = m_answerFactories.constFind(path); factory != m_answerFactories.constEnd())
        return (*factory)();
    if (const auto answer = m_defaultAnswers.constFind(path); answer != m_defaultAnswers.constEnd())
        return *answer;
    return errorAnswer(404, "No answer for this path"_ba);
}
