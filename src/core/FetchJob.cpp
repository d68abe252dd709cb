#include "core/FetchJob.h"

#include <QMetaObject>

#include <utility>

QString failureDescription(const FetchResult &result)
{
    struct Visitor
    {
        QString operator()(const ProviderUsageResponse &) const { return {}; }
        QString operator()(const ProviderError &error) const { return error.errorDescription(); }
        QString operator()(const TransportError &error) const { return error.description(); }
        QString operator()(const OtherError &error) const { return error.description; }
    };
    return std::visit(Visitor{}, result);
}

std::optional<QString> failureDetail(const FetchResult &result)
{
    const auto *error = std::get_if<ProviderError>(&result);
    return error ? error->detail() : std::nullopt;
}

void FetchJob::abort()
{
    if (m_aborted || m_finished)
        return;
    m_aborted = true;
    onAbort();
}

void FetchJob::finish(FetchResult result)
{
    if (m_aborted || m_finished)
        return;
    m_finished = true;
    Q_EMIT finished(result);
}

void FetchJob::finishLater(FetchResult result)
{
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)]() mutable { finish(std::move(result)); }, Qt::QueuedConnection);
}
