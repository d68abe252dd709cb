#pragma once

#include "core/TranslatableText.h"
#include "presentation/TitleLayout.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QStringView>

// The labels of the tray item's menu.
namespace TrayMenuText {
inline constexpr TranslatableText ShowUsage{"Tray", QT_TRANSLATE_NOOP("Tray", "Show Usage…")};
inline constexpr TranslatableText History{"Tray", QT_TRANSLATE_NOOP("Tray", "History…")};
inline constexpr TranslatableText Refresh{"Tray", QT_TRANSLATE_NOOP("Tray", "Refresh")};
inline constexpr TranslatableText Refreshing{
    "Tray", QT_TRANSLATE_NOOP("Tray", "Refreshing…")}; // disabled while a run is under way
inline constexpr TranslatableText ShowRemaining{"Tray", QT_TRANSLATE_NOOP("Tray", "Show Remaining")};
inline constexpr TranslatableText LaunchAtLogin{"Tray", QT_TRANSLATE_NOOP("Tray", "Launch at Login")};
inline constexpr TranslatableText Quit{"Tray", QT_TRANSLATE_NOOP("Tray", "Quit")};
} // namespace TrayMenuText

// One row of the tray item's menu. Figures rows only inform (they are
// disabled); the others are the menu's commands.
struct TrayMenuEntry
{
    enum class Role {
        Figures,
        Separator,
        ShowUsage,
        History, // the History window
        Refresh,
        ShowRemaining, // a check item: figures as what is left
        LaunchAtLogin, // a check item
        Quit,
    };
    Role role = Role::Figures;
    QString label;
    bool enabled = true;
    bool checked = false;

    bool isCheckItem() const { return role == Role::ShowRemaining || role == Role::LaunchAtLogin; }

    friend bool operator==(const TrayMenuEntry &, const TrayMenuEntry &) = default;
};

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
    // Replaces the menu; an open menu follows.
    virtual void setMenu(const QList<TrayMenuEntry> &entries) = 0;

Q_SIGNALS:
    // A click on the item. geometry is the item on screen, or empty when the
    // host does not tell; point is where the panel should hang from.
    void activated(const QRect &geometry, const QPoint &point);
    void showRequested();
    void historyRequested();
    void refreshRequested();
    void showRemainingRequested(bool remaining);
    void launchAtLoginRequested(bool enabled);
    void quitRequested();
    // The menu opens now: a chance to bring its figures up to date.
    void menuAboutToShow();
};
