#pragma once

#include <QByteArray>
#include <QStringView>

// The pictures in resources/ (by file name without ".svg"), recorded at build
// time as QPicture data; empty for a name that has none.
QByteArray vectorPictureData(QStringView name);
