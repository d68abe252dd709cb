#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <chrono>
#include <optional>

// sway's IPC socket (SWAYSOCK). sway floats an XWayland window centred
// whatever place it asks for, but moves it where a command says.

// One message: "i3-ipc", the payload's length and the message type (both
// 32 bits in the host's byte order), then the payload.
QByteArray swayIpcMessage(quint32 type, const QByteArray &payload);

// Whether sway's answer to a command says it succeeded ("No matching node"
// for a window it has not mapped yet does not); nothing while the answer is
// still incomplete.
std::optional<bool> swayCommandSucceeded(const QByteArray &reply);

// Asks sway to put the X11 window at topLeft, again every retry until sway
// says done or attempts run out: sway knows a window only once it mapped
// it, a moment after Qt showed it. Returns at once; the asking goes on in
// the event loop, each answer waited for at most answerWait.
void moveWithSway(const QString &socket, quintptr window, QPoint topLeft, int attempts = 20,
                  std::chrono::milliseconds retry = std::chrono::milliseconds(50),
                  std::chrono::milliseconds answerWait = std::chrono::milliseconds(1000));
