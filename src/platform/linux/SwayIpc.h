#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

// sway's IPC socket (SWAYSOCK). sway floats an XWayland window centred
// whatever place it asks for, but moves it where a command says, and knows
// the room its bars take, which X clients are never told.

// One message: "i3-ipc", the payload's length and the message type (both
// 32 bits in the host's byte order), then the payload.
QByteArray swayIpcMessage(quint32 type, const QByteArray &payload);

// What has come of sway's answer so far: its payload once complete.
struct SwayReply
{
    enum State { Incomplete, Complete, NotSways };
    State state = Incomplete;
    QByteArray payload;
};
SwayReply readSwayReply(const QByteArray &received);

// Whether sway's answer to a command says it succeeded ("No matching node"
// for a window it has not mapped yet does not); nothing while the answer is
// still incomplete.
std::optional<bool> swayCommandSucceeded(const QByteArray &reply);

// The room sway's bars leave on the output at screen: the rect of the
// workspace visible there, from get_workspaces' answer. A problem instead
// when the answer is not a list of workspaces or names no usable one there.
struct SwayFreeArea
{
    QRect area;
    QString problem;
};
SwayFreeArea swayFreeArea(const QByteArray &workspaces, QRect screen);

// Asks sway to put the X11 window at topLeft, again every retry until sway
// says done or attempts run out: sway knows a window only once it mapped
// it, a moment after Qt showed it, and shows it centred until moved, so
// asking often keeps that to about a frame. Returns at once; the asking
// goes on in the event loop, each answer waited for at most answerWait.
void moveWithSway(const QString &socket, quintptr window, QPoint topLeft, int attempts = 200,
                  std::chrono::milliseconds retry = std::chrono::milliseconds(5),
                  std::chrono::milliseconds answerWait = std::chrono::milliseconds(1000));

// Asks sway for the free area of the output at screen (swayFreeArea) and
// hands it to answered once, through the event loop; nothing when sway
// cannot be reached, answers nonsense or not within answerWait, each logged.
void askSwayForFreeArea(const QString &socket, QRect screen, std::function<void(std::optional<QRect>)> answered,
                        std::chrono::milliseconds answerWait = std::chrono::milliseconds(200));
