#pragma once

#include "core/UsageProvider.h"
#include "fetch/HttpOptions.h"
#include "providers/ProviderDescriptor.h"
#include "providers/ProviderSetup.h"

#include <QUrl>

#include <memory>
#include <optional>

class UsageService;

// The provider that asks this endpoint with this login, as the descriptor's
// provider does it. A new provider adds its line here. loginFile: the file
// login reads, where there is one (keys what a provider keeps per login).
std::shared_ptr<UsageProvider> makeFetchingProvider(const ProviderDescriptor &provider, const QUrl &endpoint,
                                                    LoginReader login, const QString &loginFile = {},
                                                    const HttpOptions &options = {});

// How often the providers read their logins: afresh for every question, or
// once, for a process that asks each provider once and ends (availability
// and the request then use one read of the file).
enum class LoginReads {
    EveryTime,
    Once
};

// Every known provider with the platform's credential store, at its endpoint
// or its override, all sharing one network session. Absent with *error set when an override is invalid. With
// announce, the first call says on standard error which overrides are in effect.
std::optional<ProviderSetup> makeProviderSetup(QString *error, bool announce = true,
                                               LoginReads reads = LoginReads::EveryTime);

// Every provider talks to a substitute service inside this process with demo
// tokens; the user's own credentials are neither read nor sent. The endpoint
// overrides are checked all the same. Needs a running QCoreApplication.
// answeredBefore: how many answers the demo gave before (the first answer
// differs from the later ones).
std::optional<ProviderSetup> makeDemoProviderSetup(QString *error, int answeredBefore = 0);

// The demo's set-up or the normal one.
std::optional<ProviderSetup> makeProviderSetup(bool demo, QString *error, LoginReads reads = LoginReads::EveryTime);

namespace DemoData {

// Makes every provider's paths of the service answer with its demo documents,
// built afresh for every request so the reset times keep moving with the clock.
void serveDemoDocuments(UsageService &service, int answeredBefore = 0);

} // namespace DemoData
