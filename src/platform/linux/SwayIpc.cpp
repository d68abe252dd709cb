#include "platform/linux/SwayIpc.h"

#include "core/Logging.h"

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
constexpr quint32 GetWorkspaces = 1;
constexpr QByteArrayView Magic = "i3-ipc";
constexpr qsizetype HeaderSize = 14; // the magic, the length, the type
// A command's answer is a few dozen bytes, the workspaces' well under a
// kilobyte each; anything far larger is not sway's.
constexpr quint32 MaxReply = 1 << 20;

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

// One result per command run: [{"success": true}].
bool commandSucceeded(const QByteArray &payload)
{
    const QJsonArray results = QJsonDocument::fromJson(payload).array();
    return !results.isEmpty() && results.first().toObject().value(QLatin1String("success")).toBool();
}

// Sends one message and hands sway's answer to answered once: its payload,
// or nothing when sway cannot be reached, goes away, answers what is not an
// answer or is silent past wait.
void askSway(const QString &socket, quint32 type, const QByteArray &payload, std::chrono::milliseconds wait,
             std::function<void(std::optional<QByteArray>)> answered)
{
    const int fd = sendSwayMessage(QFile::encodeName(socket), swayIpcMessage(type, payload));
    if (fd < 0)
        return answered(std::nullopt);
    // The answer comes through the event loop: the program keeps drawing meanwhile.
    auto *answer = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    auto received = std::make_shared<QByteArray>();
    auto finished = std::make_shared<bool>(false);
    const auto finish = [=](std::optional<QByteArray> reply) {
        if (std::exchange(*finished, true))
            return;
        answer->setEnabled(false);
        answer->deleteLater();
        ::close(fd);
        answered(std::move(reply));
    };
    QObject::connect(answer, &QSocketNotifier::activated, answer, [=] {
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            return finish(std::nullopt); // sway went away
        }
        received->append(buffer, got);
        const SwayReply reply = readSwayReply(*received);
        if (reply.state == SwayReply::Complete)
            finish(reply.payload);
        else if (reply.state == SwayReply::NotSways)
            finish(std::nullopt);
    });
    QTimer::singleShot(wait, answer, [=] { finish(std::nullopt); }); // sway is stuck
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

SwayReply readSwayReply(const QByteArray &received)
{
    if (received.size() < HeaderSize)
        return {};
    if (!received.startsWith(Magic))
        return {SwayReply::NotSways, {}};
    quint32 length = 0;
    std::memcpy(&length, received.constData() + Magic.size(), sizeof length);
    if (length > MaxReply)
        return {SwayReply::NotSways, {}};
    if (received.size() < HeaderSize + qsizetype(length))
        return {};
    return {SwayReply::Complete, received.mid(HeaderSize, length)};
}

std::optional<bool> swayCommandSucceeded(const QByteArray &reply)
{
    const SwayReply read = readSwayReply(reply);
    if (read.state == SwayReply::Incomplete)
        return std::nullopt;
    return read.state == SwayReply::Complete && commandSucceeded(read.payload);
}

SwayFreeArea swayFreeArea(const QByteArray &workspaces, QRect screen)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(workspaces, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return {{}, QStringLiteral("the workspaces are not a JSON list")};
    const QJsonArray list = document.array();
    for (const QJsonValue &value : list) {
        const QJsonObject workspace = value.toObject();
        if (!workspace.value(QLatin1String("visible")).toBool())
            continue;
        const QJsonObject rect = workspace.value(QLatin1String("rect")).toObject();
        const QJsonValue x = rect.value(QLatin1String("x")), y = rect.value(QLatin1String("y")),
                         width = rect.value(QLatin1String("width")), height = rect.value(QLatin1String("height"));
        if (!x.isDouble() || !y.isDouble() || !width.isDouble() || !height.isDouble())
            continue;
        const QRect area(x.toInt(), y.toInt(), width.toInt(), height.toInt());
        // One workspace is visible on each output; its rect lies within it.
        if (area.isValid() && screen.contains(area.center()))
            return {area.intersected(screen), {}};
    }
    return {{}, QStringLiteral("no visible workspace lies on the screen at %1,%2 %3x%4")
                    .arg(screen.x())
                    .arg(screen.y())
                    .arg(screen.width())
                    .arg(screen.height())};
}

void moveWithSway(const QString &socket, quintptr window, QPoint topLeft, int attempts,
                  std::chrono::milliseconds retry, std::chrono::milliseconds answerWait)
{
    if (attempts <= 0)
        return;
    const QByteArray command = "[id=" + QByteArray::number(window) + "] move absolute position "
        + QByteArray::number(topLeft.x()) + ' ' + QByteArray::number(topLeft.y());
    askSway(socket, RunCommand, command, answerWait, [=](std::optional<QByteArray> reply) {
        if (reply && commandSucceeded(*reply))
            return;
        if (attempts > 1)
            QTimer::singleShot(retry, QCoreApplication::instance(), [=] {
                moveWithSway(socket, window, topLeft, attempts - 1, retry, answerWait);
            });
    });
}

void askSwayForFreeArea(const QString &socket, QRect screen, std::function<void(std::optional<QRect>)> answered,
                        std::chrono::milliseconds answerWait)
{
    askSway(socket, GetWorkspaces, {}, answerWait, [=](std::optional<QByteArray> reply) {
        if (!reply) {
            qCWarning(lcPanel) << "sway told no free area in time; the room of its bar is guessed";
            return answered(std::nullopt);
        }
        const SwayFreeArea free = swayFreeArea(*reply, screen);
        if (!free.problem.isEmpty()) {
            qCWarning(lcPanel).noquote() << "sway's answer gives no free area:" << free.problem
                                         << "; the room of its bar is guessed";
            return answered(std::nullopt);
        }
        qCDebug(lcPanel) << "sway leaves free" << free.area << "on the screen at" << screen;
        answered(free.area);
    });
}
