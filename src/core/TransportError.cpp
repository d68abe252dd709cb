#include "core/TransportError.h"

#include <utility>

TransportError::TransportError(Code code, QString description)
    : m_code(code)
    , m_description(std::move(description))
{}

bool TransportError::isRetryable() const
{
    switch (m_code) {
    case NotConnectedToInternet:
    case NetworkConnectionLost:
    case DnsLookupFailed:
    case CannotFindHost:
    case CannotConnectToHost:
    case TimedOut:
    case SecureConnectionFailed: return true;
    case Unknown:
    case Cancelled: return false;
    }
    return false;
}
