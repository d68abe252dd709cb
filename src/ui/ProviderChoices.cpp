#include "ui/ProviderChoices.h"

#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "presentation/TitleLayout.h"
#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// A button that opens its menu at once draws the menu's arrow inside its
// text's room, which Qt sizes for the text alone: in Japanese and German the
// arrow touched the last character. The style's own arrow width is added to
// what the font measures.
class MenuButton : public QToolButton
{
public:
    using QToolButton::QToolButton;

    QSize sizeHint() const override
    {
        QStyleOptionToolButton option;
        initStyleOption(&option);
        QSize size = QToolButton::sizeHint();
        size.rwidth() += style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
        return size;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

QToolButton *menuButton(const QString &text, QMenu *menu, QWidget *parent)
{
    auto *button = new MenuButton(parent);
    button->setText(text);
    button->setFont(PanelStyle::caption());
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    return button;
}

} // namespace

ProviderChoices::ProviderChoices(UsageManager *manager, Preferences *preferences, QWidget *parent)
    : QWidget(parent)
    , m_manager(manager)
    , m_preferences(preferences)
    , m_prompt([this](const AccountKind &kind) { return promptForAccount(kind, window()); })
    , m_titleMenu(new QMenu(this))
    , m_accountsMenu(new QMenu(this))
    , m_note(new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Secondary, this))
{
    m_title = menuButton(QCoreApplication::translate("Panel", "In the Title"), m_titleMenu, this);
    m_accounts = menuButton(QCoreApplication::translate("Panel", "Accounts"), m_accountsMenu, this);
    m_accounts->hide();
    m_note->setWordWrap(true);
    m_note->hide();

    auto *buttons = new QHBoxLayout(this);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(m_title);
    buttons->addWidget(m_accounts);

    // Built when opened: what is available and what the settings say may have changed.
    connect(m_titleMenu, &QMenu::aboutToShow, this, &ProviderChoices::fillTitleMenu);
    connect(m_accountsMenu, &QMenu::aboutToShow, this, &ProviderChoices::fillAccountsMenu);
    render();
}

void ProviderChoices::setAccountKinds(QList<AccountKind> kinds)
{
    m_kinds = std::move(kinds);
    m_accounts->setVisible(!m_kinds.isEmpty());
    render();
}

QString ProviderChoices::kindName(const QString &provider) const
{
    for (const AccountKind &kind : m_kinds) {
        if (kind.provider == provider)
            return kind.name;
    }
    return provider;
}

void ProviderChoices::render()
{
    // Only what has credentials can be shown, so only that can be chosen.
    m_title->setEnabled(m_manager->knownAvailableProviders().size() > 1);

    const QList<ExtraAccount> accounts = m_preferences->accounts();
    const QStringList ids = accountIds(accounts);
    QStringList lines;
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const ProviderState state = m_manager->providerStates().value(ids.at(i));
        if (state.provider && !state.isAvailable)
            lines.append(u"%1: no credentials in %2"_s.arg(
                accountName(kindName(accounts.at(i).provider), accounts.at(i).label),
                QDir::toNativeSeparators(accounts.at(i).folder)));
    }
    m_note->setText(lines.join(u'\n'));
    m_note->setVisible(!lines.isEmpty());
}

QWidget *ProviderChoices::note() const
{
    return m_note;
}

QString ProviderChoices::noteText() const
{
    return m_note->isHidden() ? QString() : m_note->text();
}

void ProviderChoices::fillTitleMenu()
{
    m_titleMenu->clear();
    const ProviderList available = m_manager->knownAvailableProviders();
    const QStringList leftOut = m_preferences->titleLeftOut();
    const qsizetype shown = titleProviders(available, leftOut).size();
    for (const auto &provider : available) {
        const QString id = provider->id();
        QAction *action = m_titleMenu->addAction(provider->name());
        action->setCheckable(true);
        action->setChecked(!leftOut.contains(id));
        // The last one shown stays: a title of nothing would read as "No usage".
        action->setEnabled(!action->isChecked() || shown > 1);
        connect(action, &QAction::toggled, this, [this, id](bool checked) {
            QStringList ids = m_preferences->titleLeftOut();
            ids.removeAll(id);
            if (!checked)
                ids.append(id);
            m_preferences->setTitleLeftOut(ids);
        });
    }
}

void ProviderChoices::fillAccountsMenu()
{
    m_accountsMenu->clear();
    // clear() keeps the submenus of the last filling as children: every
    // opening would add one per account for as long as the tray runs.
    qDeleteAll(m_accountsMenu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
    const QList<ExtraAccount> accounts = m_preferences->accounts();
    const QStringList ids = accountIds(accounts);
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        const ExtraAccount account = accounts.at(i);
        QMenu *menu = m_accountsMenu->addMenu(accountName(kindName(account.provider), account.label));
        menu->addAction(QDir::toNativeSeparators(account.folder))->setEnabled(false);
        const ProviderState state = m_manager->providerStates().value(ids.at(i));
        if (state.provider && !state.isAvailable)
            menu->addAction(QCoreApplication::translate("Panel", "No credentials in this folder"))->setEnabled(false);
        connect(menu->addAction(QCoreApplication::translate("Panel", "Remove")), &QAction::triggered, this, [this, account] {
            QList<ExtraAccount> now = m_preferences->accounts();
            now.removeOne(account);
            m_preferences->setAccounts(now);
        });
    }
    if (!accounts.isEmpty())
        m_accountsMenu->addSeparator();
    for (const AccountKind &kind : std::as_const(m_kinds)) {
        connect(m_accountsMenu->addAction(QCoreApplication::translate("Panel", "Add %1 Account…").arg(kind.name)), &QAction::triggered, this,
                [this, kind] { addAccount(kind); });
    }
}

void ProviderChoices::addAccount(const AccountKind &kind)
{
    const std::optional<ExtraAccount> account = m_prompt(kind);
    if (!account || account->folder.isEmpty())
        return;
    QList<ExtraAccount> accounts = m_preferences->accounts();
    if (accounts.contains(*account))
        return;
    accounts.append(*account);
    m_preferences->setAccounts(accounts);
    render();
}

std::optional<ExtraAccount> promptForAccount(const AccountKind &kind, QWidget *parent)
{
    const QString folder = QFileDialog::getExistingDirectory(
        parent, QCoreApplication::translate("Panel", "Choose the %1 Folder (%2)").arg(kind.name, kind.folderVariable), QDir::homePath());
    if (folder.isEmpty())
        return std::nullopt;
    bool ok = false;
    const QString label = QInputDialog::getText(parent, QCoreApplication::translate("Panel", "%1 Account").arg(kind.name),
                                                QCoreApplication::translate("Panel", "A word for this account, as in \"%1 · work\":").arg(kind.name),
                                                QLineEdit::Normal, QFileInfo(folder).fileName(), &ok)
                              .trimmed();
    if (!ok)
        return std::nullopt;
    return ExtraAccount{kind.provider, QDir::cleanPath(folder), label.isEmpty() ? QFileInfo(folder).fileName() : label};
}
