#include "providers/ProviderRegistry.h"

#include <algorithm>

// The providers in display order. A new provider is a folder of its own
// under providers/ defining <name>Descriptor(), and its name on this line.
#define QUOTIX_PROVIDERS(P) P(claude) P(codex) P(copilot) P(gemini)

#define QUOTIX_DECLARE_PROVIDER(name) ProviderDescriptor name##Descriptor();
QUOTIX_PROVIDERS(QUOTIX_DECLARE_PROVIDER)
#undef QUOTIX_DECLARE_PROVIDER

const QList<ProviderDescriptor> &providerDescriptors()
{
#define QUOTIX_LIST_PROVIDER(name) name##Descriptor(),
    static const QList<ProviderDescriptor> descriptors{QUOTIX_PROVIDERS(QUOTIX_LIST_PROVIDER)};
#undef QUOTIX_LIST_PROVIDER
    return descriptors;
}

const ProviderDescriptor *findProviderDescriptor(const QString &id)
{
    const QList<ProviderDescriptor> &all = providerDescriptors();
    const auto found
        = std::find_if(all.cbegin(), all.cend(), [&](const ProviderDescriptor &d) { return d.look.id == id; });
    return found == all.cend() ? nullptr : &*found;
}

void installProviderLooks()
{
    QList<ProviderLook> looks;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        looks.append(descriptor.look);
    setProviderLooks(std::move(looks));
}

QStringList credentialFilePaths()
{
    QStringList paths;
    for (const ProviderDescriptor &descriptor : providerDescriptors())
        paths += descriptor.credentialFiles();
    paths.removeDuplicates();
    return paths;
}

QByteArray overrideVariable(const ProviderDescriptor &provider)
{
    return "QUOTIX_" + provider.look.id.toUpper().toLatin1() + "_USAGE_URL";
}
