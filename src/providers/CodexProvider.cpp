#include "providers/CodexProvider.h"

#include "providers/UsageRequest.h"

#include <QDate>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The service's seconds are trusted only as far as a date can be shown:
// anything outside the years 1 to 9999 is held at the nearest end.
QDateTime resetTimeFor(qint64 resetAt)
{
    static const qint64 earliest = QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    static const qint64 latest = QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC).toSecsSinceEpoch();
    return QDateTime::fromSecsSinceEpoch(std::clamp(resetAt, earliest, latest), Qt::UTC);
}

UsageLimit limitFor(const QString &name, const CodexWindow &window)
{
    return UsageLimit{name, window.usedPercent, resetTimeFor(window.resetAt)};
}

} // namespace

FetchResult codexResultFor(int status, const QByteArray &body, const QString &providerName)
{
    if (status == 200) {
        auto decoded = decodeCodexUsage(body);
        if (const QString *error = std::get_if<QString>(&decoded))
            return ProviderError::decodingError(*error);
        return codexUsageToResponse(std::get<CodexUsageResponse>(decoded));
    }
    if (status == 401 || status == 403)
        return ProviderError::notLoggedIn(providerName);
    return ProviderError::apiError(status);
}

ProviderUsageResponse codexUsageToResponse(const CodexUsageResponse &usage)
{
    ProviderUsageResponse response;
    if (usage.rateLimit.primaryWindow)
        response.limits.append(limitFor(u"5 Hour"_s, *usage.rateLimit.primaryWindow));
    if (usage.rateLimit.secondaryWindow)
        response.limits.append(limitFor(u"Weekly"_s, *usage.rateLimit.secondaryWindow));
    if (usage.codeReviewRateLimit && usage.codeReviewRateLimit->primaryWindow)
        response.limits.append(limitFor(u"Code Review"_s, *usage.codeReviewRateLimit->primaryWindow));
    return response;
}

CodexProvider::CodexProvider(CodexCredentialService credentials, QUrl endpoint, HttpOptions options)
    : m_credentialService(std::move(credentials))
    , m_endpoint(std::move(endpoint))
    , m_options(options)
{
}

QUrl CodexProvider::defaultEndpoint()
{
    return QUrl(u"https://chatgpt.com/backend-api/wham/usage"_s);
}

QString CodexProvider::id() const { return u"codex"_s; }
QString CodexProvider::name() const { return u"Codex"_s; }
QString CodexProvider::icon() const { return u"\u26A1"_s; }
std::optional<QString> CodexProvider::iconName() const { return u"codex-icon"_s; }
NamedColor CodexProvider::accentColor() const { return NamedColor::Green; }

bool CodexProvider::isAvailable() const
{
    return m_credentialService.getAccessToken().has_value();
}

FetchJob *CodexProvider::fetchUsage(QObject *parent)
{
    const HeaderList headers = {
        {"Accept"_ba, "application/json"_ba},
        {"User-Agent"_ba, "Quotix/1.0"_ba},
    };
    return UsageRequest::send(parent, m_session, m_credentialService.getAccessToken(), name(), m_endpoint, headers, m_options,
                              [providerName = name()](int status, const QByteArray &body) {
                                  return codexResultFor(status, body, providerName);
                              });
}
