#include "providers/CodexProvider.h"

#include <utility>

using namespace Qt::StringLiterals;

CodexProvider::CodexProvider(CodexCredentialService reader, QUrl endpoint, HttpOptions options)
    : HttpUsageProvider(
        {u"codex"_s, u"Codex"_s, u"\u26A1"_s, u"codex-icon"_s, NamedColor::Green},
        {std::move(endpoint),
         {{"Accept"_ba, "application/json"_ba}, {"User-Agent"_ba, QByteArrayLiteral(QUOTIX_USER_AGENT)}}},
        {[reader = std::move(reader)] { return reader.getLogin(); }, u"Run codex once to renew it."_s},
        [](int status, const QByteArray &body) { return codexResultFor(status, body, u"Codex"_s); }, options)
{}

QUrl CodexProvider::defaultEndpoint()
{
    return QUrl(u"https://chatgpt.com/backend-api/wham/usage"_s);
}
