#include "ui/SystemTrayItem.h"

#include "presentation/TitleLayout.h"
#include "ui/PanelStyle.h"
#include "ui/TrayIconPainter.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

constexpr int IconSize = 22;

// The slot shows levels without numbers, so the tooltip gives them: the title
// with coloured percentages, then a line per provider. Plain text and Latin-1
// punctuation only, since an emoji font may be missing.
QString toolTipHtml(const TitleLayout &title, const QStringList &details)
{
    const QColor text = QGuiApplication::palette().color(QPalette::ToolTipText);
    QString row;
    for (const TitlePiece &piece : title.pieces) {
        if (piece.kind == TitlePiece::Kind::Percentage) {
            row += u"<b style=\"color:%1\">%2</b>"_s.arg(titleBandColor(piece.band, text).name(),
                                                         piece.text.toHtmlEscaped());
        } else {
            TitleLayout single;
            single.pieces.append(piece);
            row += single.text().toHtmlEscaped();
        }
    }
    QString html = u"<p style=\"white-space:pre\"><b>Quotix</b>  "_s + row;
    for (const QString &line : details)
        html += u"<br>"_s + line.toHtmlEscaped();
    return html + u"</p>"_s;
}

} // namespace

SystemTrayItem::SystemTrayItem(QObject *parent)
    : TrayItem(parent)
{
    using Role = TrayMenuEntry::Role;
    setMenu({{Role::ShowUsage, TrayMenuText::ShowUsage.toString()},
             {Role::Refresh, TrayMenuText::Refresh.toString()},
             {Role::Separator},
             {Role::Quit, TrayMenuText::Quit.toString()}});
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayItem::menuAboutToShow);
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &SystemTrayItem::onActivated);
    setTitle(loadingTitle(), {});
    m_icon.show();
}

void SystemTrayItem::setTitle(const TitleLayout &title, const QStringList &details)
{
    // The band colours the panel window shows.
    const Backdrop shades = PanelStyle::backdrop(QGuiApplication::palette());
    // The controller repeats the hourglass this item started with.
    if (!m_drawn || m_drawn->title != title || m_drawn->shades != shades) {
        QIcon icon;
        for (qreal ratio : {1.0, 2.0})
            icon.addPixmap(QPixmap::fromImage(paintTrayIcon(title, IconSize, ratio, shades)));
        m_icon.setIcon(icon);
        m_drawn = Drawn{title, shades};
    }

    m_icon.setToolTip(toolTipHtml(title, details));
}

void SystemTrayItem::setMenu(const QList<TrayMenuEntry> &entries)
{
    QList<TrayMenuEntry::Role> roles;
    for (const TrayMenuEntry &entry : entries)
        roles.append(entry.role);
    // Same rows: update the actions in place, so an open menu follows.
    if (roles != m_roles) {
        m_menu.clear();
        for (TrayMenuEntry::Role role : std::as_const(roles)) {
            if (role == TrayMenuEntry::Role::Separator) {
                m_menu.addSeparator();
                continue;
            }
            QAction *action = m_menu.addAction(QString());
            connect(action, &QAction::triggered, this, [this, role](bool checked) { onTriggered(role, checked); });
        }
        m_roles = roles;
    }
    const QList<QAction *> actions = m_menu.actions();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const TrayMenuEntry &entry = entries.at(i);
        if (entry.role == TrayMenuEntry::Role::Separator)
            continue;
        QAction *action = actions.at(i);
        QString label = entry.label;
        action->setText(label.replace(u'&', u"&&"_s)); // no mnemonics from figures or errors
        action->setEnabled(entry.enabled);
        action->setCheckable(entry.isCheckItem());
        action->setChecked(entry.checked);
    }
}

void SystemTrayItem::onTriggered(TrayMenuEntry::Role role, bool checked)
{
    switch (role) {
    case TrayMenuEntry::Role::ShowUsage: Q_EMIT showRequested(); break;
    case TrayMenuEntry::Role::History: Q_EMIT historyRequested(); break;
    case TrayMenuEntry::Role::Refresh: Q_EMIT refreshRequested(); break;
    case TrayMenuEntry::Role::ShowRemaining:
        Q_EMIT showRemainingRequested(checked); // Qt toggled the check already
        break;
    case TrayMenuEntry::Role::LaunchAtLogin: Q_EMIT launchAtLoginRequested(checked); break;
    case TrayMenuEntry::Role::Quit: Q_EMIT quitRequested(); break;
    case TrayMenuEntry::Role::Figures:
    case TrayMenuEntry::Role::Separator: break;
    }
}

void SystemTrayItem::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A double click also arrives as a Trigger first; one toggle is enough.
    if (reason != QSystemTrayIcon::Trigger)
        return;
    Q_EMIT activated(m_icon.geometry(), QCursor::pos());
}
