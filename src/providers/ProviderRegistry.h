#pragma once

#include "providers/ProviderDescriptor.h"

#include <QList>
#include <QStringList>

// Every provider this build knows, in display order.
const QList<ProviderDescriptor> &providerDescriptors();

// The provider with this id; null if none.
const ProviderDescriptor *findProviderDescriptor(const QString &id);

// Hands the providers' looks to the faces (presentation/ProviderLook). Each
// program calls it once at start-up, before it shows anything.
void installProviderLooks();

// Every credentials file the providers read on this platform, absolute; a
// login that comes, goes or changes shows in one of them.
QStringList credentialFilePaths();
