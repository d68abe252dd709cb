#include "ui/SystemTrayItem.h"

#include "presentation/TitleLayout.h"
#include "ui/TrayIconPainter.h"
#include "ui/UiResources.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

constexpr int IconSize = 22;

// The slot shows only numbers, so the tooltip says whose they are: the
// title with the provider artwork and coloured percentages, then a line per
// provider. Qt draws this tooltip itself, so rich text and images work.
QString toolTipHtml(const TitleLayout &title, const QStringList &details)
{
    initUiResources();
    const QColor text = QGuiApplication::palette().color(QPalette::ToolTipText);
    QString row;
    for (const TitlePiece &piece : title.pieces) {
        switch (piece.kind) {
        case TitlePiece::Kind::IconImage:
            if (const QString path = iconResourcePath(piece.iconName); QFile::exists(path)) {
                row += u"<img src=\"%1\" width=\"14\" height=\"14\">&nbsp;"_s.arg(path.toHtmlEscaped());
                break;
            }
            [[fallthrough]];
        case TitlePiece::Kind::IconText:
            row += piece.text.toHtmlEscaped() + u"&nbsp;"_s;
            break;
        case TitlePiece::Kind::Separator:
            row += u"&nbsp;&nbsp;"_s;
            break;
        case TitlePiece::Kind::Percentage:
            row += u"<b style=\"color:%1\">%2</b>"_s.arg(titleBandColor(piece.band, text).name(),
                                                          piece.text.toHtmlEscaped());
            break;
        case TitlePiece::Kind::Glyph:
            row += piece.text.toHtmlEscaped();
            break;
        }
    }
    QString html = u"<p style=\"white-space:pre\"><b>Quotix</b>&nbsp;&nbsp;"_s + row;
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
    const QColor text = panelTextColor(QGuiApplication::palette());
    QIcon icon;
    for (qreal ratio : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(paintTrayIcon(title, IconSize, ratio, text)));
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
