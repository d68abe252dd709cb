#pragma once

#include <QString>

#include <optional>

class QIcon;
class QPicture;

// The picture of that name from resources/, drawn as vectors at any size;
// none when there is no such picture.
std::optional<QPicture> vectorPicture(QStringView name);

// The application's own icon, at the sizes window managers and task bars ask for.
QIcon applicationIcon();
