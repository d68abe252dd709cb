#include "providers/NetworkErrors.h"

using namespace Qt::StringLiterals;

TransportError transportErrorFor(QNetworkReply::NetworkError error, const QString &description, bool timedOutByUs,
                                 bool cancelledByUs)
{
    if (timedOutByUs)
        return TransportError(TransportError::TimedOut, u"The request timed out."_s);

    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return TransportError(TransportError::CannotConnectToHost, description);
    case QNetworkReply::HostNotFoundError: return TransportError(TransportError::CannotFindHost, description);
    case QNetworkReply::TimeoutError: return TransportError(TransportError::TimedOut, description);
    case QNetworkReply::RemoteHostClosedError:
        return TransportError(TransportError::NetworkConnectionLost, description);
    case QNetworkReply::SslHandshakeFailedError:
        return TransportError(TransportError::SecureConnectionFailed, description);
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return TransportError(TransportError::NotConnectedToInternet, description);
    case QNetworkReply::OperationCanceledError:
        // Qt 6.4 reports an expired transfer timeout as a cancellation too;
        // only an abort of ours is a real one.
        if (cancelledByUs)
            return TransportError(TransportError::Cancelled, description);
        return TransportError(TransportError::TimedOut, description);
    default: return TransportError(TransportError::Unknown, description);
    }
}
