#pragma once

#include <QByteArray>
#include <QString>

// Where every command writes: UTF-8 to stdout and stderr, flushed at once so
// the order on a shared terminal is the order of the calls. A write that
// fails (a closed pipe) is reported, never fatal.
namespace Console {

bool out(const QString &text);
bool out(const QByteArray &bytes);
bool err(const QString &text);

} // namespace Console
