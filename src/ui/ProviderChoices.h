#pragma once

#include "core/Accounts.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class PanelLabel;
class Preferences;
class QMenu;
class QToolButton;
class UsageManager;

// The panel's settings of providers, as two menu buttons: which of them the
// tray title shows, and the extra accounts (added with a folder picker,
// removed from their own menu). An account whose folder holds no credentials
// says so in note(), a label for the panel to place.
class ProviderChoices : public QWidget
{
    Q_OBJECT
public:
    // Both must outlive the widget.
    ProviderChoices(UsageManager *manager, Preferences *preferences, QWidget *parent = nullptr);

    // The providers that take accounts; none, and there is no Accounts menu.
    void setAccountKinds(QList<AccountKind> kinds);
    // Asks the user for an account of that kind; absent when they cancel.
    using AccountPrompt = std::function<std::optional<ExtraAccount>(const AccountKind &kind)>;
    void setAccountPrompt(AccountPrompt prompt) { m_prompt = std::move(prompt); }

    // Reads the settings and the providers' states again.
    void render();

    QMenu *titleMenu() const { return m_titleMenu; }
    QMenu *accountsMenu() const { return m_accountsMenu; }
    QWidget *note() const;
    QString noteText() const;

private:
    void fillTitleMenu();
    void fillAccountsMenu();
    void addAccount(const AccountKind &kind);
    QString kindName(const QString &provider) const;

    UsageManager *m_manager;
    Preferences *m_preferences;
    QList<AccountKind> m_kinds;
    AccountPrompt m_prompt;
    QToolButton *m_title;
    QToolButton *m_accounts;
    QMenu *m_titleMenu;
    QMenu *m_accountsMenu;
    PanelLabel *m_note;
};

// The folder picker and a label, from dialogs.
std::optional<ExtraAccount> promptForAccount(const AccountKind &kind, QWidget *parent);
