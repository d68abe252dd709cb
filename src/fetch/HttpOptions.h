#pragma once

#include <QtGlobal>

#include <chrono>
#include <memory>

class NetworkSession;

// Limits of one usage request, and the session it goes through.
struct HttpOptions
{
    // No progress for this long ends the request as timed out.
    std::chrono::milliseconds idleTimeout{10'000};
    // The whole exchange may take no longer than this.
    std::chrono::milliseconds totalTimeout{30'000};
    // A usage answer is a few hundred bytes; a larger body is not one.
    qint64 maxBodyBytes = 1024 * 1024;
    // Shared by the providers of one run, so that they start one network
    // thread between them; a provider without one makes its own.
    std::shared_ptr<NetworkSession> session;
};
