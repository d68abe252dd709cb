#pragma once

#include "core/NamedColor.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class FetchJob;
class QObject;

// The contract of a usage source. Identity members are constant after
// construction; isAvailable() is asked anew on every read and may do I/O.
class UsageProvider
{
public:
    virtual ~UsageProvider() = default;

    virtual QString id() const = 0;
    virtual QString name() const = 0;
    // What an alert's title calls the provider: "Claude" in "Claude Usage Alert".
    virtual QString alertName() const { return name(); }
    virtual QString icon() const = 0;
    virtual std::optional<QString> iconName() const = 0;
    virtual NamedColor accentColor() const = 0;
    virtual bool isAvailable() const = 0;

    // Starts one attempt. The job is a child of parent; see FetchJob for how it ends.
    // Transport failures come back as TransportError, unchanged, so that only they are retried.
    virtual FetchJob *fetchUsage(QObject *parent) = 0;
};

// The providers in display order.
using ProviderList = QList<std::shared_ptr<UsageProvider>>;
