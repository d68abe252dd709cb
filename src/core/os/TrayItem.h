#pragma once

#include <QLatin1StringView>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QStringList>

struct TitleLayout;

// The labels of the tray item's small menu.
namespace TrayMenuText {
inline constexpr QLatin1StringView ShowUsage{"Show Usage"};
inline constexpr QLatin1StringView Refresh{"Refresh"};
inline constexpr QLatin1StringView Quit{"Quit"};
}

// The application's one item in the desktop's tray, whichever protocol the
// tray host speaks. It shows the title as faithfully as the host allows and
// reports what the user asks of it.
class TrayItem : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // details: one line per provider, for tooltips.
    virtual void setTitle(const TitleLayout &title, const QStringList &details) = 0;

Q_SIGNALS:
    // A click on the item. geometry is the item on screen, or empty when the
    // host does not tell; point is where the panel should hang from.
    void activated(const QRect &geometry, const QPoint &point);
    void showRequested();
    void refreshRequested();
    void quitRequested();
};
