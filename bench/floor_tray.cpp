// The floor of a tray application in Qt Widgets: one tray icon and one popup
// with one line of text, which a click shows and hides. Nothing else, so
// whatever Quotix costs beyond this is its own. The text is there because
// any popup shows some: a blank one would leave the font stack (fontconfig,
// FreeType, HarfBuzz, the font files) out of the floor.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGreen);
    QSystemTrayIcon icon{QIcon(pixmap)};

    QLabel popup(QStringLiteral("Usage"), nullptr, Qt::Popup);
    popup.setAlignment(Qt::AlignTop | Qt::AlignLeft);
    popup.resize(300, 400);
    QObject::connect(&icon, &QSystemTrayIcon::activated, &popup, [&] {
        if (popup.isVisible()) {
            popup.hide();
            return;
        }
        popup.move(icon.geometry().bottomLeft());
        popup.show();
    });

    icon.show();
    return app.exec();
}
