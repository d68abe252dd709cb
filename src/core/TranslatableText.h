#pragma once

#include <QCoreApplication>
#include <QString>

// A user text that several places show: its English source, marked for
// lupdate where it is defined, looked up in the installed catalogue each
// time it is read. Define it with the context named twice, in the struct and
// in the QT_TRANSLATE_NOOP that marks the source for lupdate.
struct TranslatableText
{
    const char *context;
    const char *source;

    QString toString() const { return QCoreApplication::translate(context, source); }
    operator QString() const { return toString(); }
};
