#pragma once

#include "core/FetchJob.h"
#include "fetch/HttpOptions.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

class NetworkSession;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// "Bearer <token>", or absent when there is no token or it could not travel in
// a header (a line break in it would start a header of its own).
std::optional<QByteArray> bearerAuthorization(const std::optional<QString> &token);

// One GET (or, given a body, POST) of a usage endpoint, shared by the providers. Redirects are never
// followed (a 3xx is an answer like any other), no cookies or cache are used,
// the body is capped, and both an idle and a total timeout apply. Transport
// failures end as TransportError; an HTTP answer is handed to the interpreter.
class UsageRequest : public FetchJob
{
    Q_OBJECT
public:
    // Turns a status and a complete body into the fetch's result.
    using Interpreter = std::function<FetchResult(int status, const QByteArray &body)>;

    explicit UsageRequest(QObject *parent = nullptr);
    ~UsageRequest() override;

    // One provider's fetch: the bearer header goes first, then the others in
    // order. Without a usable token it ends as not logged in and sends nothing.
    static FetchJob *send(QObject *parent, NetworkSession &session, const std::optional<QString> &token,
                          const QString &providerName, const QUrl &url, const HeaderList &otherHeaders,
                          const HttpOptions &options, Interpreter interpret,
                          const std::optional<QByteArray> &postBody = std::nullopt);

    // Sends the request; headers are sent in the order given. A POST with postBody, else a GET.
    void start(QNetworkAccessManager *manager, const QUrl &url, const HeaderList &headers, const HttpOptions &options,
               Interpreter interpret, const std::optional<QByteArray> &postBody = std::nullopt);
    // Ends with a result known without any I/O, from the event loop.
    void failLater(FetchResult result);

protected:
    void onAbort() override;

private:
    void onMetaDataChanged();
    void onReadyRead();
    void onReplyFinished();
    void onTimeout();
    void restartIdleTimer();
    // Reads what the reply holds; false once the body is over the cap.
    bool readAvailable();
    // Detaches from the reply and cancels it if still running.
    void dropReply();
    void stopTimers();

    QPointer<QNetworkReply> m_reply;
    QTimer *m_idleTimer = nullptr;
    QTimer *m_totalTimer = nullptr;
    HttpOptions m_options;
    Interpreter m_interpret;
    QByteArray m_body;
};
