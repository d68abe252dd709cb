#include "ui/UiResources.h"

#include "ui/VectorPictures.h"

#include <QIcon>
#include <QPainter>
#include <QPicture>
#include <QPixmap>

using namespace Qt::StringLiterals;

std::optional<QPicture> vectorPicture(QStringView name)
{
    const QByteArray data = vectorPictureData(name);
    if (data.isEmpty())
        return std::nullopt;
    QPicture picture;
    picture.setData(data.constData(), uint(data.size()));
    // The frame is read from the data: none when the data is not a picture.
    if (picture.boundingRect().isEmpty())
        return std::nullopt;
    return picture;
}

QIcon applicationIcon()
{
    const std::optional<QPicture> picture = vectorPicture(u"quotix");
    QIcon icon;
    if (!picture)
        return icon;
    const QRectF frame = picture->boundingRect();
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / frame.width(), size / frame.height());
        painter.drawPicture(0, 0, *picture);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
