#pragma once

#include "core/ProviderError.h"
#include "core/TransportError.h"
#include "core/UsageModel.h"

#include <QObject>

#include <variant>

// A failure that is neither a ProviderError nor a transport error, such as
// the JSON parser's own error; described, never retried.
struct OtherError
{
    QString description;
};

using FetchResult = std::variant<ProviderUsageResponse, ProviderError, TransportError, OtherError>;

// The user-facing text of a failed result; empty for a success.
QString failureDescription(const FetchResult &result);
// The line under that text, where the failure has one.
std::optional<QString> failureDetail(const FetchResult &result);

// One attempt of a provider's fetchUsage(). finished() is emitted exactly once,
// always from the event loop (never inside fetchUsage() itself), and never
// after abort().
class FetchJob : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Stops the attempt early: requests are cancelled and finished() is not emitted.
    void abort();

Q_SIGNALS:
    void finished(const FetchResult &result);

protected:
    // Emits finished() once, unless the job was aborted or has already finished.
    void finish(FetchResult result);
    // Posts finish() to the event loop; for results known before any I/O.
    void finishLater(FetchResult result);
    virtual void onAbort() {}

private:
    bool m_aborted = false;
    bool m_finished = false;
};
