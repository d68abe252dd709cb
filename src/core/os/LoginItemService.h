#pragma once

#include <QString>

#include <optional>

// The platform's registration of this application as a login item.
class LoginItemService
{
public:
    virtual ~LoginItemService() = default;

    virtual bool isEnabled() const = 0;
    // Each returns the failure's description, or nothing on success.
    virtual std::optional<QString> registerItem() = 0;
    virtual std::optional<QString> unregisterItem() = 0;
};
