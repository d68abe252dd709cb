#include "tray/ScreenshotCommand.h"

#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/LaunchAtLogin.h"
#include "core/Preferences.h"
#include "core/UsageManager.h"
#include "core/os/NotificationManager.h"
#include "demo/DemoHistory.h"
#include "history/HistoryStore.h"
#include "providers/AccountSetup.h"
#include "providers/ProcessProvider.h"
#include "presentation/TitleLayout.h"
#include "presentation/Translations.h"
#include "tray/TitleObserver.h"
#include "ui/HistoryWindow.h"
#include "ui/PanelView.h"
#include "ui/PanelStyle.h"
#include "ui/PanelWindow.h"
#include "ui/TrayIconPainter.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

// Long enough for real services with their retries; the demo answers at once.
constexpr int RefreshTimeoutMs = 60'000;

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
    Console::err(message + u'\n');
}

struct Arguments
{
    bool demo = false;
    QString directory;
    QList<ExtraAccount> accounts;
};

// Parsed before the application object exists, so Qt's own options are not
// understood here; the command takes none.
std::variant<Arguments, int> parseArguments(int argc, char **argv)
{
    CommandLine command(u"quotix screenshot"_s, u"usage: quotix screenshot [--demo] [--account PROVIDER:LABEL[:FOLDER]]... DIR"_s,
                        u"Saves pictures of the panel and the tray item into DIR."_s);
    QCommandLineParser &parser = command.parser();
    const QCommandLineOption demo(u"demo"_s, u"Show built-in demo figures; your credentials are not read."_s);
    parser.addOption(demo);
    const QCommandLineOption account(
        u"account"_s, u"Show an extra account as well: \"claude:work\", \"codex:team:/path/to/codex-home\" (the folder "
                      u"defaults to the current one; --demo reads none). May be repeated."_s,
        u"PROVIDER:LABEL[:FOLDER]"_s);
    parser.addOption(account);
    parser.addPositionalArgument(u"screenshot"_s, u"Save the pictures."_s);
    parser.addPositionalArgument(u"DIR"_s, u"The folder for panel.png, tray.png and history.png."_s);

    QStringList words;
    for (int i = 0; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    if (const auto exitStatus = command.parse(words))
        return *exitStatus;
    const QStringList positional = parser.positionalArguments(); // "screenshot" DIR
    if (positional.size() != 2)
        return command.usageError(positional.size() < 2 ? u"no folder given"_s : u"one folder only"_s);
    Arguments arguments{parser.isSet(demo), positional.at(1), {}};
    for (const QString &value : parser.values(account)) {
        const QString provider = value.section(u':', 0, 0);
        const QString label = value.section(u':', 1, 1);
        const QString folder = value.section(u':', 2);
        if (provider.isEmpty() || label.isEmpty())
            return command.usageError(u"--account needs a provider and a label: \"%1\""_s.arg(value));
        const QList<AccountKind> kinds = accountKinds();
        if (std::none_of(kinds.cbegin(), kinds.cend(), [&](const AccountKind &kind) { return kind.provider == provider; }))
            return command.usageError(u"--account: \"%1\" takes no extra accounts"_s.arg(provider));
        arguments.accounts.append(
            {provider, QDir::cleanPath(QDir::current().absoluteFilePath(folder.isEmpty() ? u"."_s : folder)), label});
    }
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
    // Panels as the desktops ship them: GNOME's black top bar with its 16 px
    // icon and white label, Plasma's light panel, XFCE's dark one and waybar's
    // blue tray with 22 px slots.
    struct Strip
    {
        QColor bar;
        int icon;
        bool label;
    };
    const Strip strips[] = {{QColor(0x00, 0x00, 0x00), 16, true},
                            {QColor(0xCF, 0xD2, 0xD4), 22, false},
                            {QColor(0x35, 0x35, 0x35), 22, false},
                            {QColor(0x29, 0x80, 0xB9), 22, false}};
    const Backdrop shades = PanelStyle::backdrop(QGuiApplication::palette());
    QFont font = QGuiApplication::font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    const QFontMetricsF metrics(font);
    const QString label = title.label();

    constexpr qreal Height = 28;
    constexpr qreal Padding = 10;
    constexpr qreal Gap = 6;
    const qreal width = Padding + 22 + Gap + metrics.horizontalAdvance(label) + Padding;
    const int rows = int(std::size(strips));
    QImage image(qCeil(width * devicePixelRatio), qCeil(Height * rows * devicePixelRatio),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    for (int i = 0; i < rows; ++i) {
        const Strip &strip = strips[i];
        const qreal top = Height * i;
        painter.fillRect(QRectF(0, top, width, Height), strip.bar);
        painter.drawImage(QPointF(Padding, top + (Height - strip.icon) / 2),
                          paintTrayIcon(title, strip.icon, devicePixelRatio, shades));
        if (strip.label) {
            painter.setPen(Qt::white);
            const qreal baseline = top + Height / 2 + (metrics.ascent() - metrics.descent()) / 2;
            painter.drawText(QPointF(Padding + strip.icon + Gap, baseline), label);
        }
    }
    return image;
}

namespace {

bool savePicture(const QImage &picture, const QString &path)
{
    if (picture.save(path, "PNG"))
        return true;
    writeError(u"quotix screenshot: cannot write "_s + path);
    return false;
}

// The charts' samples: with --demo a made-up month that ends in the demo's
// figures; otherwise the user's own history, when there is one.
PanelView::HistorySource chartHistory(const UsageManager &manager, bool demo, const QDateTime &now)
{
    QList<HistorySample> history;
    if (demo) {
        for (const auto &provider : manager.knownAvailableProviders()) {
            const ProviderState state = manager.providerStates().value(provider->id());
            if (state.usage)
                history.append(DemoData::history(provider->id(), state.usage->limits, now, 31));
        }
    } else if (QString none; const auto store = HistoryStore::openForReading(HistoryStore::defaultPath(), &none)) {
        history = store->samples({now.addDays(-31), {}, {}});
    }
    return [history](const QDateTime &since) {
        QList<HistorySample> result;
        for (const HistorySample &sample : history) {
            if (sample.until >= since)
                result.append(sample);
        }
        return result;
    };
}

// panel.png and tray.png; the paths written, or nothing after a failure.
std::optional<QStringList> drawPanelAndTray(UsageManager &manager, Preferences &preferences,
                                            LaunchAtLogin &launchAtLogin, const PanelView::HistorySource &recorded,
                                            const QDir &directory)
{
    PanelWindow panel(&manager, &preferences, &launchAtLogin);
    panel.view()->setHistorySource(recorded);
    panel.view()->setAccountKinds(accountKinds());
    panel.setHeightLimited(false);
    panel.showAnchored(QRect(), QPoint(0, 0));
    QCoreApplication::processEvents();

    const QString panelPath = directory.filePath(u"panel.png"_s);
    const QString trayPath = directory.filePath(u"tray.png"_s);
    const TitleLayout title = trayTitle(manager, preferences);
    if (!savePicture(panel.grab().toImage(), panelPath)
        || !savePicture(renderTrayItem(title, panel.devicePixelRatioF()), trayPath))
        return std::nullopt;
    return QStringList{panelPath, trayPath};
}

// history.png; its path, or nothing after a failure.
std::optional<QString> drawHistory(const UsageManager &manager, const PanelView::HistorySource &recorded,
                                   const QDir &directory, const QDateTime &now)
{
    QHash<QString, QString> names;
    for (const auto &provider : manager.providers())
        names.insert(provider->id(), provider->name());
    HistoryWindow historyWindow(recorded, names);
    historyWindow.resize(560, 10);
    historyWindow.show();
    historyWindow.reload(now);
    historyWindow.resize(560, historyWindow.sizeHint().height());
    QCoreApplication::processEvents();
    const QString historyPath = directory.filePath(u"history.png"_s);
    if (!savePicture(historyWindow.grab().toImage(), historyPath))
        return std::nullopt;
    return historyPath;
}

// Settings of its own in a temporary file: the user's choices stay
// untouched. Only which providers the tray title shows is taken from them.
std::unique_ptr<QSettings> screenshotSettings(const QTemporaryDir &directory, const QList<ExtraAccount> &accounts)
{
    QString problem;
    const std::unique_ptr<QSettings> userSettings = openUserSettings(&problem);
    if (!problem.isEmpty())
        writeError(problem);
    std::unique_ptr<QSettings> settings = openSettingsFile(directory.filePath(u"quotix.ini"_s));
    Preferences preferences(settings.get());
    preferences.setAccounts(accounts);
    preferences.setTitleLeftOut(userSettings->value(SettingsKeys::TitleLeftOut).toStringList());
    settings->sync();
    return settings;
}

} // namespace

int runScreenshotCommand(int argc, char **argv)
{
    const auto parsed = parseArguments(argc, argv);
    if (const int *exitStatus = std::get_if<int>(&parsed))
        return *exitStatus;
    const Arguments *arguments = std::get_if<Arguments>(&parsed);

    // Rendered without a display, at twice the logical size, whatever the desktop.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    installTranslations();

    const QDir directory(arguments->directory);
    if (!QDir().mkpath(directory.absolutePath())) {
        writeError(u"quotix screenshot: cannot create %1"_s.arg(directory.path()));
        return 1;
    }

    QTemporaryDir settingsDir;
    if (!settingsDir.isValid()) {
        writeError(u"quotix screenshot: cannot create a temporary folder: "_s + settingsDir.errorString());
        return 1;
    }
    const std::unique_ptr<QSettings> temporarySettings = screenshotSettings(settingsDir, arguments->accounts);
    QSettings &settings = *temporarySettings;
    Preferences preferences(&settings);
    // The checks run in quotix-status, which reads these accounts from here.
    FetchProgram program = defaultFetchProgram();
    program.trailing = {u"--settings"_s, settings.fileName()};
    QString error;
    auto setup = makeProcessProviderSetup(arguments->demo, program, &error);
    if (!setup) {
        writeError(error);
        return CommandLine::InvalidInvocation;
    }
    InertLoginItemService loginItems;
    LaunchAtLogin launchAtLogin(&loginItems);
    NullNotificationManager notifications;
    UsageManager manager(withAccounts(setup->providers, setup->accounts(arguments->accounts)), &notifications);

    if (!waitForRefresh(manager))
        writeError(u"quotix screenshot: the refresh did not finish; drawing what there is"_s);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const PanelView::HistorySource recorded = chartHistory(manager, arguments->demo, now);
    const std::optional<QStringList> panelAndTray
        = drawPanelAndTray(manager, preferences, launchAtLogin, recorded, directory);
    if (!panelAndTray)
        return 1;
    const std::optional<QString> historyPath = drawHistory(manager, recorded, directory, now);
    if (!historyPath)
        return 1;
    Console::out(panelAndTray->join(u'\n') + u'\n' + *historyPath + u'\n');
    return 0;
}
