#include "platform/linux/SwayIpc.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr quint32 RunCommand = 0;
constexpr QByteArrayView Magic = "i3-ipc";
constexpr qsizetype HeaderSize = 14; // the magic, the length, the type
// A command's answer is a few dozen bytes; anything far larger is not sway's.
constexpr quint32 MaxReply = 1 << 16;

// Connects to sway and sends message, without waiting: the socket, or -1.
// The socket library of Qt is left out: the tray process loads no network module.
int sendSwayMessage(const QByteArray &path, const QByteArray &message)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    // A local connection is made at once, and a message this small fits its buffer.
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL) != message.size()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

QByteArray swayIpcMessage(quint32 type, const QByteArray &payload)
{
    QByteArray message = Magic.toByteArray();
    const quint32 length = quint32(payload.size());
    message.append(reinterpret_cast<const char *>(&length), sizeof length);
    message.append(reinterpret_cast<const char *>(&type), sizeof type);
    return message + payload;
}

std::optional<bool> swayCommandSucceeded(const QByteArray &reply)
{
    if (reply.size() < HeaderSize)
        return std::nullopt;
    quint32 length = 0;
    std::memcpy(&length, reply.constData() + Magic.size(), sizeof length);
    if (!reply.startsWith(Magic) || length > MaxReply)
        return false;
    if (reply.size() < HeaderSize + qsizetype(length))
        return std::nullopt;
    // One result per command run: [{"success": true}].
    const QJsonArray results = QJsonDocument::fromJson(reply.mid(HeaderSize, length)).array();
    return !results.isEmpty() && results.first().toObject().value(QLatin1String("success")).toBool();
}

void moveWithSway(const QString &socket, quintptr window, QPoint topLeft, int attempts,
                  std::chrono::milliseconds retry, std::chrono::milliseconds answerWait)
{
    if (attempts <= 0)
        return;
    const auto again = [=] {
        if (attempts > 1)
            QTimer::singleShot(retry, QCoreApplication::instance(), [=] {
                moveWithSway(socket, window, topLeft, attempts - 1, retry, answerWait);
            });
    };
    const QByteArray command = "[id=" + QByteArray::number(window) + "] move absolute position "
        + QByteArray::number(topLeft.x()) + ' ' + QByteArray::number(topLeft.y());
    const QByteArray message = swayIpcMessage(RunCommand, command);
    const int fd = sendSwayMessage(QFile::encodeName(socket), message);
    if (fd < 0)
        return again();
    // The answer comes through the event loop: the program keeps drawing meanwhile.
    auto *answer = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    auto reply = std::make_shared<QByteArray>();
    auto finished = std::make_shared<bool>(false);
    const auto finish = [=](bool done) {
        if (std::exchange(*finished, true))
            return;
        answer->setEnabled(false);
        answer->deleteLater();
        ::close(fd);
        if (!done)
            again();
    };
    QObject::connect(answer, &QSocketNotifier::activated, answer, [=] {
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            return finish(false); // sway went away
        }
        reply->append(buffer, got);
        if (const std::optional<bool> succeeded = swayCommandSucceeded(*reply))
            finish(*succeeded);
    });
    QTimer::singleShot(answerWait, answer, [=] { finish(false); }); // sway is stuck
}
