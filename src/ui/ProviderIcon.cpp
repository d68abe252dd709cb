#include "ui/ProviderIcon.h"

#include "ui/PanelStyle.h"
#include "ui/UiResources.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {
constexpr int ImageSize = 16;
constexpr int TextPixelSize = 14;
} // namespace

ProviderIcon::ProviderIcon(QWidget *parent)
    : QWidget(parent)
    , m_renderer(new QSvgRenderer(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ProviderIcon::setIcon(const std::optional<QString> &iconName, const QString &fallbackText)
{
    if (iconName == m_iconName && fallbackText == m_text)
        return;
    m_iconName = iconName;
    m_text = fallbackText;
    initUiResources();
    m_hasImage = iconName && m_renderer->load(iconResourcePath(*iconName));
    setFixedSize(sizeHint());
    update();
}

bool ProviderIcon::showsImage() const
{
    return m_hasImage;
}

QSize ProviderIcon::sizeHint() const
{
    if (showsImage() || m_text.isEmpty())
        return {ImageSize, ImageSize};
    const QFontMetrics metrics(PanelStyle::systemFont(TextPixelSize));
    return {std::max(ImageSize, metrics.horizontalAdvance(m_text)), std::max(ImageSize, metrics.height())};
}

void ProviderIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (showsImage()) {
        // Fit, keeping the aspect ratio, centred in the square.
        QSizeF size = m_renderer->defaultSize();
        if (size.isEmpty())
            size = QSizeF(ImageSize, ImageSize);
        size.scale(ImageSize, ImageSize, Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        m_renderer->render(&painter, target);
        return;
    }
    painter.setFont(PanelStyle::systemFont(TextPixelSize));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
