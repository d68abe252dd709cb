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

// For a one-shot command whose output is out and that keeps nothing: ends
// the process with this status at once, since joining threads and
// destroying every object would only hold the caller back. Sanitizer builds
// return instead, so that their leak check still runs.
void endWithoutTeardown(int status);

} // namespace Console
