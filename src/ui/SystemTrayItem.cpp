#include "ui/SystemTrayItem.h"

#include "presentation/TitleLayout.h"
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
    m_menu.addAction(QString(TrayMenuText::ShowUsage), this, &TrayItem::showRequested);
    m_menu.addAction(QString(TrayMenuText::Refresh), this, &TrayItem::refreshRequested);
    m_menu.addSeparator();
    m_menu.addAction(QString(TrayMenuText::Quit), this, &TrayItem::quitRequested);
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &SystemTrayItem::onActivated);
    setTitle(loadingTitle(), {});
    m_icon.show();
}

void SystemTrayItem::setTitle(const TitleLayout &title, const QStringList &details)
{
    // An embedding panel does not say how bright it is: shades that hold on both.
    QIcon icon;
    for (qreal ratio : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(paintTrayIcon(title, IconSize, ratio, Backdrop::Light)));
    m_icon.setIcon(icon);

    m_icon.setToolTip(toolTipHtml(title, details));
}

void SystemTrayItem::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A double click also arrives as a Trigger first; one toggle is enough.
    if (reason != QSystemTrayIcon::Trigger)
        return;
    Q_EMIT activated(m_icon.geometry(), QCursor::pos());
}
