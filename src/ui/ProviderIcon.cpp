#include "ui/ProviderIcon.h"

#include "ui/PanelStyle.h"
#include "ui/UiResources.h"

#include <QPainter>

namespace {
constexpr int ImageSize = 16;
constexpr int TextPixelSize = 14;
} // namespace

ProviderIcon::ProviderIcon(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ProviderIcon::setIcon(const std::optional<QString> &iconName, const QString &fallbackText)
{
    if (iconName == m_iconName && fallbackText == m_text)
        return;
    m_iconName = iconName;
    m_text = fallbackText;
    m_picture = iconName ? vectorPicture(*iconName) : std::nullopt;
    setFixedSize(sizeHint());
    update();
}

bool ProviderIcon::showsImage() const
{
    return m_picture.has_value();
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
        const QRectF frame = m_picture->boundingRect();
        QSizeF size = frame.size();
        size.scale(ImageSize, ImageSize, Qt::KeepAspectRatio);
        painter.translate((width() - size.width()) / 2, (height() - size.height()) / 2);
        painter.scale(size.width() / frame.width(), size.height() / frame.height());
        painter.drawPicture(-frame.topLeft(), *m_picture);
        return;
    }
    painter.setFont(PanelStyle::systemFont(TextPixelSize));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
