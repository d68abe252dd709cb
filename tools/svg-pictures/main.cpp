// Turns SVG pictures into Qt's own vector recording (QPicture) and writes them
// as one C++ source: the tray draws them at any scale without loading Qt SVG.
//   svg-pictures OUT.cpp NAME=FILE.svg...
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <QPicture>
#include <QSaveFile>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The picture's frame is the SVG's own size, so the painter scales it as it
// would the SVG.
QByteArray recordPicture(const QString &file, QString *error)
{
    QSvgRenderer renderer(file);
    if (!renderer.isValid()) {
        *error = u"not a valid SVG picture: "_s + file;
        return {};
    }
    QPicture picture;
    const QSize size = renderer.defaultSize();
    picture.setBoundingRect(QRect(QPoint(0, 0), size));
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return QByteArray(picture.data(), picture.size());
}

QByteArray arrayText(const QByteArray &bytes)
{
    QByteArray text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        text += (i % 16 == 0 ? "\n    " : " ") + QByteArray::number(uchar(bytes[i])) + ',';
    }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fputs("usage: svg-pictures OUT.cpp NAME=FILE.svg...\n", stderr);
        return 2;
    }
    QByteArray source = "// Made by tools/svg-pictures from the SVG sources in resources/; do not edit.\n"
                        "#include \"ui/VectorPictures.h\"\n\n"
                        "namespace {\n";
    QByteArray lookup = "QByteArray vectorPictureData(QStringView name)\n{\n";
    for (int i = 2; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const qsizetype equals = argument.indexOf(u'=');
        if (equals <= 0) {
            std::fprintf(stderr, "svg-pictures: expected NAME=FILE.svg, got %s\n", argv[i]);
            return 2;
        }
        QString error;
        const QByteArray data = recordPicture(argument.mid(equals + 1), &error);
        if (data.isEmpty()) {
            std::fprintf(stderr, "svg-pictures: %s\n", qPrintable(error));
            return 1;
        }
        const QByteArray symbol = "picture" + QByteArray::number(i - 2);
        source += "const unsigned char " + symbol + "[] = {" + arrayText(data) + "\n};\n";
        lookup += "    if (name == u\"" + argument.left(equals).toUtf8() + "\")\n"
            + "        return QByteArray::fromRawData(reinterpret_cast<const char *>(" + symbol + "), sizeof " + symbol + ");\n";
    }
    source += "} // namespace\n\n" + lookup + "    return {};\n}\n";

    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(source) != source.size() || !out.commit()) {
        std::fprintf(stderr, "svg-pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
