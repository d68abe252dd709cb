#include "providers/ProviderRegistry.h"
#include "ui/ProviderIcon.h"
#include "ui/UiResources.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;

// The pictures are recorded from the SVG files at build time; whatever the
// scale, the panel must show what the SVG itself draws.
class TestVectorPictures : public QObject
{
    Q_OBJECT
private slots:
    void everyProviderArtworkAtEveryScale_data()
    {
        QTest::addColumn<QString>("artwork");
        QTest::addColumn<qreal>("scale");
        for (const ProviderDescriptor &descriptor : providerDescriptors()) {
            if (descriptor.look.artwork.isEmpty())
                continue;
            for (const qreal scale : {1.0, 1.25, 1.5, 2.0, 3.0}) {
                const QByteArray row = descriptor.look.artwork.toUtf8() + " at " + QByteArray::number(scale);
                QTest::newRow(row.constData()) << descriptor.look.artwork << scale;
            }
        }
    }

    void everyProviderArtworkAtEveryScale()
    {
        QFETCH(QString, artwork);
        QFETCH(qreal, scale);
        ProviderIcon icon;
        icon.setIcon(artwork, u"?"_s);
        QVERIFY2(icon.showsImage(), "no picture was recorded for this artwork");
        QImage shown = blank(16, scale);
        icon.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
        // Rounding of the two ways to the same transform: one step.
        QCOMPARE_LE(largestDifference(shown, drawnBySvg(artwork, 16, scale)), 1);
    }

    void theApplicationIconAtTheHostsSizes()
    {
        const QIcon icon = applicationIcon();
        QCOMPARE(icon.availableSizes().size(), 7);
        for (const QSize &size : icon.availableSizes()) {
            const QImage shown = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(largestDifference(shown, drawnBySvg(u"quotix"_s, size.width(), 1.0)), 0);
        }
    }

private:
    static QImage blank(int logicalSize, qreal scale)
    {
        const int pixels = qRound(logicalSize * scale);
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        return image;
    }

    // What Qt SVG draws from resources/<name>.svg in a square of that side.
    static QImage drawnBySvg(const QString &name, int logicalSize, qreal scale)
    {
        QImage image = blank(logicalSize, scale);
        QSvgRenderer svg(QStringLiteral(QUOTIX_SOURCE_DIR "/resources/") + name + u".svg"_s);
        if (!svg.isValid())
            return {};
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, logicalSize, logicalSize));
        return image;
    }

    // The largest difference of one channel of one pixel, 0 to 255.
    static int largestDifference(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return 256;
        int largest = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            }
        }
        return largest;
    }
};

QTEST_MAIN(TestVectorPictures)
#include "test_vectorpictures.moc"
