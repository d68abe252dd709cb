#pragma once

#include "core/os/DesktopTraits.h"

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class TrayItem;

// The desktop's tray, as far as this platform can find one.
class TrayHost
{
public:
    virtual ~TrayHost() = default;

    // An item in the tray that is present now; null while there is none.
    virtual std::unique_ptr<TrayItem> createItem() = 0;
    // What to tell the user when no tray turned up, naming the fix: the
    // title says what to do, for notices that show one line of it.
    virtual QString missingHostTitle() const
    {
        return QCoreApplication::translate("Tray", "Quotix has no tray to show its icon");
    }
    virtual QString missingHostMessage() const = 0;
    // From now on, calls maybeAppeared whenever a tray may have come up,
    // so the caller can look again at once instead of waiting for its poll.
    virtual void watchForHost(std::function<void()> maybeAppeared) { Q_UNUSED(maybeAppeared); }
};

// Each platform builds its own (platform/linux, platform/macos).
std::unique_ptr<TrayHost> makeTrayHost(const DesktopTraits &desktop);
