#pragma once

#include "core/os/LoginItemService.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// A login-item service that records every call and answers each with
// failure, or with success when there is none.
struct RecordingLoginItems : LoginItemService
{
    explicit RecordingLoginItems(bool enabled = false, std::optional<QString> failure = std::nullopt)
        : enabled(enabled)
        , failure(std::move(failure))
    {}
    bool isEnabled() const override { return enabled; }
    std::optional<QString> registerItem() override { return record(QStringLiteral("register")); }
    std::optional<QString> unregisterItem() override { return record(QStringLiteral("unregister")); }
    std::optional<QString> record(const QString &call)
    {
        calls.append(call);
        return failure;
    }

    bool enabled;
    std::optional<QString> failure;
    QStringList calls;
};
