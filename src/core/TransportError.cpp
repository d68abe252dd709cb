#include "core/TransportError.h"

#include <utility>

TransportError::TransportError(Code code, QString description)
    : m_code(code)
    , m_description(std::move(description))
{}

bool TransportError::isRetryable() const
{
    switch (m_code) {
    case Code::NotConnectedToInternet:
    case Code::NetworkConnectionLost:
    case Code::DnsLookupFailed:
    case Code::CannotFindHost:
    case Code::CannotConnectToHost:
    case Code::TimedOut:
    case Code::SecureConnectionFailed: return true;
    case Code::Unknown:
    case Code::Cancelled: return false;
    }
    return false;
}
