#include "platform/linux/SwayIpc.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>

#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr quint32 RunCommand = 0;
constexpr QByteArrayView Magic = "i3-ipc";
constexpr qsizetype HeaderSize = 14; // the magic, the length, the type
// A command's answer is a few dozen bytes; anything far larger is not sway's.
constexpr quint32 MaxReply = 1 << 16;

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
    const QByteArray command = "[id=" + QByteArray::number(window) + "] move absolute position "
        + QByteArray::number(topLeft.x()) + ' ' + QByteArray::number(topLeft.y());
    auto *ipc = new QLocalSocket(QCoreApplication::instance());
    auto reply = std::make_shared<QByteArray>();
    auto finished = std::make_shared<bool>(false);
    const auto finish = [=](bool done) {
        if (std::exchange(*finished, true))
            return;
        QObject::disconnect(ipc, nullptr, nullptr, nullptr);
        ipc->abort();
        ipc->deleteLater();
        if (!done && attempts > 1)
            QTimer::singleShot(retry, QCoreApplication::instance(), [=] {
                moveWithSway(socket, window, topLeft, attempts - 1, retry, answerWait);
            });
    };
    QObject::connect(ipc, &QLocalSocket::connected, ipc, [=] { ipc->write(swayIpcMessage(RunCommand, command)); });
    QObject::connect(ipc, &QLocalSocket::readyRead, ipc, [=] {
        *reply += ipc->readAll();
        if (const std::optional<bool> succeeded = swayCommandSucceeded(*reply))
            finish(*succeeded);
    });
    QObject::connect(ipc, &QLocalSocket::errorOccurred, ipc, [=] { finish(false); });
    QTimer::singleShot(answerWait, ipc, [=] { finish(false); }); // sway is stuck
    ipc->connectToServer(socket);
}
