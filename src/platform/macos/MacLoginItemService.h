#pragma once

#include "core/LaunchAtLogin.h"

// Stands in for the ServiceManagement login item until that is written:
// reports "not registered" and says why it cannot switch.
class MacLoginItemService : public LoginItemService
{
public:
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override;
    std::optional<QString> unregisterItem() override;
};
