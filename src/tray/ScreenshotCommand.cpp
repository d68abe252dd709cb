#include "tray/ScreenshotCommand.h"

#include "core/LaunchAtLogin.h"
#include "ui/MenuBarPanel.h"
#include "core/os/NotificationManager.h"
#include "core/Preferences.h"
#include "demo/DemoSetup.h"
#include "presentation/TitleLayout.h"
#include "ui/TrayIconPainter.h"
#include "ui/UiResources.h"
#include "core/UsageManager.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QPainter>
#include <QSettings>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int InvalidInvocation = 2;
constexpr char Usage[] = "usage: quotix screenshot [--demo] DIR\n";
// Long enough for real services with their retries; the demo answers at once.
constexpr int RefreshTimeoutMs = 60'000;

class SilentNotificationManager : public NotificationManager
{
public:
    void sendNotification(const QString &, const QString &) override {}
};

// Reports "not enabled" and never registers: a screenshot must leave the
// user's autostart alone.
class InertLoginItemService : public LoginItemService
{
public:
    bool isEnabled() const override { return false; }
    std::optional<QString> registerItem() override { return std::nullopt; }
    std::optional<QString> unregisterItem() override { return std::nullopt; }
};

void writeError(const QString &message)
{
    const QByteArray bytes = message.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

struct Arguments
{
    bool demo = false;
    QString directory;
};

std::optional<Arguments> parseArguments(int argc, char **argv)
{
    Arguments arguments;
    for (int i = 2; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--demo") == 0)
            arguments.demo = true;
        else if (argument[0] == '-' || !arguments.directory.isEmpty())
            return std::nullopt;
        else
            arguments.directory = QString::fromLocal8Bit(argument);
    }
    if (arguments.directory.isEmpty())
        return std::nullopt;
    return arguments;
}

bool waitForRefresh(UsageManager &manager)
{
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    QObject::connect(&manager, &UsageManager::refreshFinished, &loop, [&loop] { loop.exit(0); });
    timeout.start(RefreshTimeoutMs);
    manager.refresh();
    return loop.exec() == 0;
}

} // namespace

QImage renderTrayItem(const TitleLayout &title, qreal devicePixelRatio)
{
    initUiResources();
    const QColor bar(0x1F, 0x1F, 0x22);
    const QColor text(0xF2, 0xF2, 0xF2);
    QFont font = QGuiApplication::font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    const QFontMetricsF metrics(font);

    constexpr qreal Height = 28;
    constexpr qreal Padding = 10;
    constexpr qreal Badge = 22;
    constexpr qreal Gap = 8;
    constexpr qreal Image = 14;
    const qreal space = metrics.horizontalAdvance(u' ');

    auto advance = [&](const TitlePiece &piece) {
        switch (piece.kind) {
        case TitlePiece::Kind::IconImage:
            return Image + space;
        case TitlePiece::Kind::IconText:
            return metrics.horizontalAdvance(piece.text) + space;
        default:
            return metrics.horizontalAdvance(piece.text);
        }
    };
    qreal labelWidth = 0;
    for (const TitlePiece &piece : title.pieces)
        labelWidth += advance(piece);

    const qreal width = Padding + Badge + Gap + labelWidth + Padding;
    QImage image(qCeil(width * devicePixelRatio), qCeil(Height * devicePixelRatio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(bar);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(Padding, (Height - Badge) / 2), paintTrayIcon(title, int(Badge), devicePixelRatio, text));

    painter.setFont(font);
    const qreal baseline = Height / 2 + (metrics.ascent() - metrics.descent()) / 2;
    qreal x = Padding + Badge + Gap;
    for (const TitlePiece &piece : title.pieces) {
        if (piece.kind == TitlePiece::Kind::IconImage) {
            QSvgRenderer svg(iconResourcePath(piece.iconName));
            if (svg.isValid())
                svg.render(&painter, QRectF(x, (Height - Image) / 2, Image, Image));
            else
                painter.drawText(QPointF(x, baseline), piece.text);
        } else {
            painter.setPen(piece.kind == TitlePiece::Kind::Percentage ? titleBandColor(piece.band, text) : text);
            painter.drawText(QPointF(x, baseline), piece.text);
        }
        x += advance(piece);
    }
    return image;
}

int runScreenshotCommand(int argc, char **argv)
{
    const auto arguments = parseArguments(argc, argv);
    if (!arguments) {
        std::fputs(Usage, stderr);
        return InvalidInvocation;
    }

    // Rendered without a display, at twice the logical size, whatever the desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);

    QString error;
    auto setup = makeProviderSetup(arguments->demo, &error);
    if (!setup) {
        writeError(error);
        return InvalidInvocation;
    }

    const QDir directory(arguments->directory);
    if (!QDir().mkpath(directory.absolutePath())) {
        writeError(u"quotix screenshot: cannot create %1"_s.arg(directory.path()));
        return 1;
    }

    // Settings of its own in a temporary file: the user's choices stay untouched.
    QTemporaryDir settingsDir;
    if (!settingsDir.isValid()) {
        writeError(u"quotix screenshot: cannot create a temporary folder: "_s + settingsDir.errorString());
        return 1;
    }
    QSettings settings(settingsDir.filePath(u"quotix.ini"_s), QSettings::IniFormat);
    Preferences preferences(&settings);
    InertLoginItemService loginItems;
    LaunchAtLogin launchAtLogin(&loginItems);
    SilentNotificationManager notifications;
    UsageManager manager(setup->providers, &notifications);

    if (!waitForRefresh(manager))
        writeError(u"quotix screenshot: the refresh did not finish; drawing what there is"_s);

    MenuBarPanel panel(&manager, &preferences, &launchAtLogin);
    panel.showAnchored(QRect(), QPoint(0, 0));
    QCoreApplication::processEvents();

    const QString panelPath = directory.filePath(u"panel.png"_s);
    const QString trayPath = directory.filePath(u"tray.png"_s);
    const qreal ratio = panel.devicePixelRatioF();
    const TitleLayout title = layoutTitle(manager.knownAvailableProviders(), manager.providerStates(), manager.isLoading(),
                                          preferences.displayMode());
    if (!panel.grab().save(panelPath, "PNG")) {
        writeError(u"quotix screenshot: cannot write "_s + panelPath);
        return 1;
    }
    if (!renderTrayItem(title, ratio).save(trayPath, "PNG")) {
        writeError(u"quotix screenshot: cannot write "_s + trayPath);
        return 1;
    }
    panel.hide();

    std::printf("%s\n%s\n", qPrintable(panelPath), qPrintable(trayPath));
    return 0;
}
