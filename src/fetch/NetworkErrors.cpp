#include "fetch/NetworkErrors.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

TransportError transportErrorFor(QNetworkReply::NetworkError error, const QString &description, bool timedOutByUs,
                                 bool cancelledByUs)
{
    if (timedOutByUs)
        return TransportError(TransportError::Code::TimedOut,
                              QCoreApplication::translate("Common", "The request timed out."));

    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return TransportError(TransportError::Code::CannotConnectToHost, description);
    case QNetworkReply::HostNotFoundError: return TransportError(TransportError::Code::CannotFindHost, description);
    case QNetworkReply::TimeoutError: return TransportError(TransportError::Code::TimedOut, description);
    case QNetworkReply::RemoteHostClosedError:
        return TransportError(TransportError::Code::NetworkConnectionLost, description);
    case QNetworkReply::SslHandshakeFailedError:
        return TransportError(TransportError::Code::SecureConnectionFailed, description);
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    // What the socket itself refused: among others "Network unreachable",
    // which is how a machine without a network (just woken, the Wi-Fi not
    // back yet) answers a name its resolver still knows.
    case QNetworkReply::UnknownNetworkError:
        return TransportError(TransportError::Code::NotConnectedToInternet, description);
    case QNetworkReply::OperationCanceledError:
        // Qt 6.4 reports an expired transfer timeout as a cancellation too;
        // only an abort of ours is a real one.
        if (cancelledByUs)
            return TransportError(TransportError::Code::Cancelled, description);
        return TransportError(TransportError::Code::TimedOut, description);
    default: return TransportError(TransportError::Code::Unknown, description);
    }
}
