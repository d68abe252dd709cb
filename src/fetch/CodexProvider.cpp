#include "fetch/CodexProvider.h"

#include "providers/ProviderRegistry.h"

#include <QCoreApplication>

#include <utility>

using namespace Qt::StringLiterals;

CodexProvider::CodexProvider(CodexCredentialService reader, QUrl endpoint, HttpOptions options)
    : CodexProvider([reader = std::move(reader)] { return reader.getLogin(); }, std::move(endpoint), options)
{}

CodexProvider::CodexProvider(std::function<std::optional<StoredLogin>()> login, QUrl endpoint, HttpOptions options)
    : HttpUsageProvider(
        {u"codex"_s, u"Codex"_s},
        {std::move(endpoint),
         {{"Accept"_ba, "application/json"_ba}, {"User-Agent"_ba, QByteArrayLiteral(QUOTIX_USER_AGENT)}}},
        {std::move(login), QCoreApplication::translate("Common", "Run codex once to renew it.")},
        [](int status, const QByteArray &body) { return codexResultFor(status, body, u"Codex"_s); }, options)
{}

QUrl CodexProvider::defaultEndpoint()
{
    return findProviderDescriptor(u"codex"_s)->endpoint;
}
