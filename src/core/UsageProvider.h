#pragma once

#include <QList>
#include <QString>

#include <memory>

class FetchJob;
class QObject;

// The contract of a usage source. Identity members are constant after
// construction; isAvailable() is asked anew on every read and may do I/O.
class UsageProvider
{
public:
    virtual ~UsageProvider() = default;

    // The id is the provider's key everywhere ("claude"); how the faces draw
    // it is theirs to decide (presentation/ProviderLook).
    virtual QString id() const = 0;
    virtual QString name() const = 0;
    // What an alert's title calls the provider: "Claude" in "Claude Usage Alert".
    virtual QString alertName() const { return name(); }
    virtual bool isAvailable() const = 0;

    // Starts one attempt. The job is a child of parent; see FetchJob for how it ends.
    // Transport failures come back as TransportError, unchanged, so that only they are retried.
    virtual FetchJob *fetchUsage(QObject *parent) = 0;
};

// The providers in display order.
using ProviderList = QList<std::shared_ptr<UsageProvider>>;
