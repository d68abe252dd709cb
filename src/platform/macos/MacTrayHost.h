#pragma once

#include "presentation/TrayHost.h"

// The menu bar is always there.
class MacTrayHost : public TrayHost
{
public:
    std::unique_ptr<TrayItem> createItem() override;
    QString missingHostMessage() const override;
};
