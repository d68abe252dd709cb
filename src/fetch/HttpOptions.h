#pragma once

#include <QtGlobal>

#include <chrono>

// Limits of one usage request.
struct HttpOptions
{
    // No progress for this long ends the request as timed out.
    std::chrono::milliseconds idleTimeout{10'000};
    // The whole exchange may take no longer than this.
    std::chrono::milliseconds totalTimeout{30'000};
    // A usage answer is a few hundred bytes; a larger body is not one.
    qint64 maxBodyBytes = 1024 * 1024;
};
