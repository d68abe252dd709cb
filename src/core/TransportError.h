#pragma once

#include <QString>

// A failure of the transport layer, carrying the URL-loading code it maps to
// and the HTTP layer's own description. Only these failures are ever retried.
class TransportError
{
public:
    enum Code : int {
        Unknown = -1,
        Cancelled = -999,
        TimedOut = -1001,
        CannotFindHost = -1003,
        CannotConnectToHost = -1004,
        NetworkConnectionLost = -1005,
        DnsLookupFailed = -1006,
        NotConnectedToInternet = -1009,
        SecureConnectionFailed = -1200,
    };

    TransportError(Code code, QString description);

    Code code() const { return m_code; }
    QString description() const { return m_description; }
    bool isRetryable() const;

private:
    Code m_code;
    QString m_description;
};
