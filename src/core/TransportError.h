#pragma once

#include <QString>

// A failure of the transport layer, carrying what kind of failure it was
// and the HTTP layer's own description. Only these failures are ever retried.
class TransportError
{
public:
    enum class Code {
        Unknown,
        Cancelled,
        TimedOut,
        CannotFindHost,
        CannotConnectToHost,
        NetworkConnectionLost,
        DnsLookupFailed,
        NotConnectedToInternet,
        SecureConnectionFailed,
    };

    TransportError(Code code, QString description);

    Code code() const { return m_code; }
    QString description() const { return m_description; }
    bool isRetryable() const;

private:
    Code m_code;
    QString m_description;
};
