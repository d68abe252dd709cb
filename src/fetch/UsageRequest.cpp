#include "fetch/UsageRequest.h"

#include "fetch/NetworkErrors.h"
#include "fetch/NetworkSession.h"
#include "providers/RetryAfter.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

std::optional<QByteArray> bearerAuthorization(const std::optional<QString> &token)
{
    if (!token)
        return std::nullopt;
    const bool hasControl = std::any_of(token->cbegin(), token->cend(),
                                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    if (hasControl)
        return std::nullopt;
    return "Bearer "_ba + token->toUtf8();
}

UsageRequest::UsageRequest(QObject *parent)
    : FetchJob(parent)
{}

UsageRequest::~UsageRequest()
{
    dropReply();
}

FetchJob *UsageRequest::send(QObject *parent, NetworkSession &session, const std::optional<QString> &token,
                             const QString &providerName, const QUrl &url, const HeaderList &otherHeaders,
                             const HttpOptions &options, Interpreter interpret,
                             const std::optional<QByteArray> &postBody)
{
    auto *job = new UsageRequest(parent);
    const std::optional<QByteArray> authorization = bearerAuthorization(token);
    if (!authorization) {
        job->failLater(ProviderError::notLoggedIn(providerName));
        return job;
    }
    const HeaderList headers = HeaderList{{"Authorization"_ba, *authorization}} + otherHeaders;
    job->start(session.manager(), url, headers, options, std::move(interpret), postBody);
    return job;
}

void UsageRequest::start(QNetworkAccessManager *manager, const QUrl &url, const HeaderList &headers,
                         const HttpOptions &options, Interpreter interpret, const std::optional<QByteArray> &postBody)
{
    m_options = options;
    // The session belongs to the providers: a request that held it would
    // keep the network thread alive until the request's parent goes, which
    // for a one-shot command is the application itself, torn down last.
    m_options.session.reset();
    m_interpret = std::move(interpret);

    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    // The manager has no cache; AlwaysNetwork would only add Cache-Control
    // and Pragma headers to the request.
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(m_options.idleTimeout);
    connect(m_idleTimer, &QTimer::timeout, this, &UsageRequest::onTimeout);
    m_totalTimer = new QTimer(this);
    m_totalTimer->setSingleShot(true);
    m_totalTimer->setInterval(m_options.totalTimeout);
    connect(m_totalTimer, &QTimer::timeout, this, &UsageRequest::onTimeout);

    m_reply = postBody ? manager->post(request, *postBody) : manager->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &UsageRequest::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &UsageRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &UsageRequest::restartIdleTimer);
    connect(m_reply, &QNetworkReply::uploadProgress, this, &UsageRequest::restartIdleTimer);
    connect(m_reply, &QNetworkReply::finished, this, &UsageRequest::onReplyFinished);
    m_idleTimer->start();
    m_totalTimer->start();
}

void UsageRequest::failLater(FetchResult result)
{
    finishLater(std::move(result));
}

void UsageRequest::onAbort()
{
    stopTimers();
    dropReply();
}

void UsageRequest::restartIdleTimer()
{
    if (m_idleTimer && m_reply)
        m_idleTimer->start();
}

void UsageRequest::onMetaDataChanged()
{
    restartIdleTimer();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_options.maxBodyBytes) {
        stopTimers();
        dropReply();
        finish(ProviderError::invalidResponse());
    }
}

void UsageRequest::onReadyRead()
{
    restartIdleTimer();
    if (!readAvailable()) {
        stopTimers();
        dropReply();
        finish(ProviderError::invalidResponse());
    }
}

bool UsageRequest::readAvailable()
{
    // Never hold more than one byte beyond the cap. Only what has arrived:
    // read(n) sets n bytes aside first, megabytes for a body of a few hundred.
    const qint64 room = std::min(m_options.maxBodyBytes + 1 - m_body.size(), m_reply->bytesAvailable());
    if (room > 0)
        m_body += m_reply->read(room);
    return m_body.size() <= m_options.maxBodyBytes;
}

void UsageRequest::onReplyFinished()
{
    stopTimers();
    QNetworkReply *reply = m_reply;
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool withinCap = readAvailable();
    const QString description = reply->errorString();
    // Qt now and then reports a body cut short by a closed connection as
    // complete. Only a body sent as is can be measured against its length.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool cutShort = error == QNetworkReply::NoError && withinCap && announced.isValid()
        && reply->rawHeader("Content-Encoding").isEmpty() && m_body.size() < announced.toLongLong();
    const QByteArray retryAfter = reply->rawHeader("Retry-After");
    dropReply();

    if (cutShort) {
        finish(transportErrorFor(QNetworkReply::RemoteHostClosedError, u"Connection closed"_s, false, false));
        return;
    }

    // Errors below 200 are the network and proxy layers'; above, Qt merely
    // names the HTTP status, which is ours to interpret.
    const bool transportFailure = error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
    if (transportFailure || (error != QNetworkReply::NoError && !status.isValid())) {
        finish(transportErrorFor(error, description, false, false));
        return;
    }
    if (!status.isValid() || !withinCap) {
        finish(ProviderError::invalidResponse());
        return;
    }
    FetchResult result = m_interpret(status.toInt(), m_body);
    // When to ask again matters only where the service asks us to wait.
    if (const auto *failure = std::get_if<ProviderError>(&result); failure && failure->isTransient())
        result = failure->withRetryAfter(retryAfterInstant(retryAfter, QDateTime::currentDateTimeUtc()));
    finish(std::move(result));
}

void UsageRequest::onTimeout()
{
    stopTimers();
    dropReply();
    finish(transportErrorFor(QNetworkReply::OperationCanceledError, {}, true, false));
}

void UsageRequest::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    // Not from inside one of the reply's own signals: Qt still has work to
    // do on it when the signal returns.
    QMetaObject::invokeMethod(
        reply,
        [reply] {
            if (reply->isRunning())
                reply->abort();
            reply->deleteLater();
        },
        Qt::QueuedConnection);
}

void UsageRequest::stopTimers()
{
    if (m_idleTimer)
        m_idleTimer->stop();
    if (m_totalTimer)
        m_totalTimer->stop();
}
