// The floor of a one-shot network command in Qt: one GET, the body printed,
// exit. Usage: floor_get URL
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: floor_get URL\n", stderr);
        return 2;
    }
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(QString::fromLocal8Bit(argv[1]))));
    QObject::connect(reply, &QNetworkReply::finished, &app, [reply] {
        const QByteArray body = reply->readAll();
        std::fwrite(body.constData(), 1, size_t(body.size()), stdout);
        QCoreApplication::exit(reply->error() == QNetworkReply::NoError ? 0 : 1);
    });
    return QCoreApplication::exec();
}
