#pragma once

#include "providers/StrictJson.h"

#include <QByteArray>
#include <QThread>

#include <chrono>
#include <optional>

// A tool that rewrites its login file in place can be caught half-way: a
// document that is there but is no complete JSON is read again after a
// pause, a few times, before the login counts as absent.
struct RereadPolicy
{
    int rereads = 3;
    std::chrono::milliseconds pause{100};
};

// read() yields the document or nothing (absent: no second look); parse()
// yields what it holds or nothing. Blocks for the pauses, like the read itself.
template <typename Read, typename Parse>
auto readUntilParsed(const RereadPolicy &policy, Read read, Parse parse) -> decltype(parse(QByteArray()))
{
    for (int attempt = 0;; ++attempt) {
        const std::optional<QByteArray> data = read();
        if (!data)
            return std::nullopt;
        if (auto parsed = parse(*data))
            return parsed;
        // A whole document without a login will not grow one by waiting, and
        // the pauses block whoever asks (the tray's main thread, every run).
        if (attempt >= policy.rereads || parseStrictJson(*data))
            return std::nullopt;
        QThread::msleep(static_cast<unsigned long>(policy.pause.count()));
    }
}
