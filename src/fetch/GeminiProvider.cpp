#include "fetch/GeminiProvider.h"

#include "core/FetchJob.h"
#include "providers/ExpiredLogin.h"
#include "fetch/UsageRequest.h"
#include "providers/gemini/GeminiUsage.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString Name = u"Gemini"_s;
// Looked up when used, so the user's language is installed by then.
QString renewal()
{
    return QCoreApplication::translate("Common", "Run gemini once to renew it.");
}

const HeaderList Headers{{"Accept"_ba, "application/json"_ba},
                         {"Content-Type"_ba, "application/json"_ba},
                         {"User-Agent"_ba, QByteArrayLiteral(QUOTIX_USER_AGENT)}};

QString projectFromEnvironment()
{
    for (const char *variable : {"GEMINI_CLOUD_PROJECT", "GOOGLE_CLOUD_PROJECT"}) {
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace

// Asks for the project where it must, then for the quota; hands on the
// first failure unchanged.
class GeminiFetch : public FetchJob
{
public:
    GeminiFetch(QObject *parent, GeminiProvider &provider, QString token, std::optional<LoginStamp> stamp)
        : FetchJob(parent)
        , m_provider(provider)
        , m_token(std::move(token))
        , m_stamp(std::move(stamp))
    {}

    using FetchJob::finishLater;

    void start()
    {
        QString project = projectFromEnvironment();
        m_kept = project.isEmpty();
        if (project.isEmpty() && m_provider.m_knownProject->first == m_token)
            project = m_provider.m_knownProject->second;
        if (project.isEmpty() && m_stamp)
            project = m_provider.m_cache.project(*m_stamp).value_or(QString());
        if (!project.isEmpty())
            return askQuota(project);
        auto named = std::make_shared<QString>();
        const QByteArray body = R"({"metadata":{"pluginType":"GEMINI"}})"_ba;
        follow(UsageRequest::send(
                   this, *m_provider.m_session, m_token, Name,
                   GeminiProvider::projectEndpoint(m_provider.m_quotaEndpoint), Headers, m_provider.m_options,
                   [named](int status, const QByteArray &answer) -> FetchResult {
                       if (status != 200)
                           return geminiResultFor(status, answer, Name);
                       *named = geminiProjectFrom(answer).value_or(QString());
                       if (named->isEmpty())
                           return OtherError{QCoreApplication::translate(
                               "Common", "Gemini names no Cloud project for this login: set %1 to the project to ask about")
                                                  .arg(u"GOOGLE_CLOUD_PROJECT"_s)};
                       return ProviderUsageResponse{};
                   },
                   body),
               [this, named](const FetchResult &result) {
                   if (!std::holds_alternative<ProviderUsageResponse>(result))
                       return finish(result);
                   *m_provider.m_knownProject = {m_token, *named};
                   if (m_stamp)
                       m_provider.m_cache.remember(*m_stamp, *named);
                   askQuota(*named);
               });
    }

protected:
    void onAbort() override
    {
        if (m_step)
            m_step->abort();
    }

private:
    void askQuota(const QString &project)
    {
        const QByteArray body = QJsonDocument(QJsonObject{{u"project"_s, project}}).toJson(QJsonDocument::Compact);
        auto refused = std::make_shared<bool>(false);
        follow(UsageRequest::send(
                   this, *m_provider.m_session, m_token, Name, m_provider.m_quotaEndpoint, Headers,
                   m_provider.m_options,
                   [refused](int status, const QByteArray &answer) {
                       *refused = status == 403 || status == 404;
                       return geminiResultFor(status, answer, Name);
                   },
                   body),
               [this, refused](const FetchResult &result) {
                   // The project may be gone or no longer this login's: asked afresh next time.
                   if (*refused && m_kept)
                       forgetProject();
                   finish(result);
               });
    }

    void forgetProject()
    {
        *m_provider.m_knownProject = {};
        if (m_stamp)
            m_provider.m_cache.forget(m_stamp->file);
    }

    template <typename Then> void follow(FetchJob *step, Then then)
    {
        m_step = step;
        connect(step, &FetchJob::finished, this, then);
    }

    GeminiProvider &m_provider;
    QString m_token;
    std::optional<LoginStamp> m_stamp;
    // Whether the project is ours to keep (not the environment's).
    bool m_kept = false;
    QPointer<FetchJob> m_step;
};

GeminiProvider::GeminiProvider(std::function<std::optional<StoredLogin>()> login, QUrl quotaEndpoint,
                               HttpOptions options, QString loginFile, GeminiProjectCache cache)
    : m_login(std::move(login))
    , m_quotaEndpoint(std::move(quotaEndpoint))
    , m_options(options)
    , m_session(sessionFor(m_options))
    , m_loginFile(std::move(loginFile))
    , m_cache(std::move(cache))
{}

QString GeminiProvider::id() const
{
    return u"gemini"_s;
}

QString GeminiProvider::name() const
{
    return Name;
}

bool GeminiProvider::isAvailable() const
{
    return m_login().has_value();
}

FetchJob *GeminiProvider::fetchUsage(QObject *parent)
{
    // Stamped on both sides of the read: a login rewritten meanwhile keys nothing.
    const auto stamp = [this] { return m_loginFile.isEmpty() ? std::nullopt : loginStampOf(m_loginFile); };
    std::optional<LoginStamp> before = stamp();
    const std::optional<StoredLogin> login = m_login();
    if (before != stamp())
        before.reset();
    auto *job = new GeminiFetch(parent, *this, login ? login->accessToken : QString(), std::move(before));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!login) {
        job->finishLater(ProviderError::notLoggedIn(Name));
    } else if (login->expiresAt && *login->expiresAt <= now) {
        job->finishLater(
            ProviderError::notLoggedIn(Name).withDetail(expiredLoginDetail(*login->expiresAt, now, renewal())));
    } else {
        job->start();
    }
    return job;
}

QUrl GeminiProvider::projectEndpoint(const QUrl &quotaEndpoint)
{
    return geminiProjectEndpoint(quotaEndpoint);
}
