#include "usage-service/ScriptedService.h"

#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

// qCompress() writes a zlib stream: a 4-byte length, a 2-byte header, the
// deflate data and a 4-byte checksum; gzip wants the same deflate data in its
// own frame.
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

namespace {

QByteArray lengthLine(qsizetype length)
{
    return "Content-Length: "_ba + QByteArray::number(length) + "\r\n"_ba;
}

// One chunk more each time the last has gone out: the client decides how
// much it takes, and we never hold more than one chunk.
void sendChunksForever(ServiceConnection &connection)
{
    static const QByteArray chunk = "4000\r\n"_ba + QByteArray(0x4000, ' ') + "\r\n"_ba;
    QTcpSocket *socket = connection.socket();
    QObject::connect(socket, &QTcpSocket::bytesWritten, &connection, [socket, &connection] {
        if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState) {
            connection.keepAlive();
            socket->write(chunk);
        }
    });
    socket->write(chunk);
}

void trickle(ServiceConnection &connection, const QByteArray &body, std::chrono::milliseconds interval)
{
    auto *timer = new QTimer(&connection);
    QObject::connect(timer, &QTimer::timeout, &connection, [&connection, timer, body, sent = qsizetype(0)]() mutable {
        QTcpSocket *socket = connection.socket();
        if (sent >= body.size() || socket->state() != QAbstractSocket::ConnectedState) {
            timer->stop();
            connection.closeWhenWritten();
            return;
        }
        connection.keepAlive();
        socket->write(body.mid(sent++, 1));
    });
    timer->start(interval);
}

void sendFaulty(ServiceConnection &connection, const RecordedRequest &request, const ScriptedAnswer &answer)
{
    using Fault = ScriptedAnswer::Fault;
    connection.keepAlive();
    switch (answer.fault) {
    case Fault::None: connection.writeWhole(answer); return;
    case Fault::DropConnection: connection.closeWhenWritten(); return;
    case Fault::EndlessChunks: connection.writeHead(answer, "Transfer-Encoding: chunked\r\n"_ba); break;
    case Fault::GzipBody: {
        ServiceAnswer packed = answer;
        packed.body = gzipped(answer.body);
        packed.headers.append({"Content-Encoding"_ba, "gzip"_ba});
        connection.writeWhole(packed);
        return;
    }
    default: connection.writeHead(answer, lengthLine(answer.body.size())); break;
    }
    if (request.method == "HEAD"_ba) {
        connection.closeWhenWritten();
        return;
    }
    switch (answer.fault) {
    case Fault::EndlessChunks: sendChunksForever(connection); return;
    case Fault::Trickle: trickle(connection, answer.body, answer.trickleInterval); return;
    case Fault::HeadersThenHold: return; // held until the client gives up, or the idle cut
    case Fault::TruncateBody: connection.socket()->write(answer.body.left(answer.body.size() / 2)); break;
    default: break; // the head alone, then closed
    }
    connection.closeWhenWritten();
}

} // namespace

void ScriptedService::setDefaultAnswer(const QString &path, const ScriptedAnswer &answer)
{
    m_factories.insert(path, [answer] { return answer; });
}

void ScriptedService::setDefaultAnswerFactory(const QString &path, ScriptedFactory factory)
{
    m_factories.insert(path, std::move(factory));
}

void ScriptedService::enqueue(const QString &path, const ScriptedAnswer &answer)
{
    m_queues[path].append(answer);
}

void ScriptedService::clearAnswers()
{
    m_factories.clear();
    m_queues.clear();
}

void ScriptedService::setKeepsRequests(bool keep)
{
    m_keepsRequests = keep;
    if (!keep)
        m_requests.clear();
}

ScriptedAnswer ScriptedService::answerFor(const QString &path)
{
    if (auto queue = m_queues.find(path); queue != m_queues.end() && !queue->isEmpty()) {
        ScriptedAnswer answer = queue->takeFirst();
        if (queue->isEmpty())
            m_queues.erase(queue);
        return answer;
    }
    if (const auto factory = m_factories.constFind(path); factory != m_factories.constEnd())
        return (*factory)();
    return defaultAnswer(path);
}

void ScriptedService::respond(ServiceConnection &connection, const RecordedRequest &request)
{
    if (m_keepsRequests)
        m_requests.append(request);
    const ScriptedAnswer answer = answerFor(QString::fromLatin1(request.path));
    connection.later(answer.delay, [&connection, request, answer] { sendFaulty(connection, request, answer); });
}
