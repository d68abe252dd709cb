#pragma once

#include "core/TransportError.h"

#include <QNetworkReply>
#include <QString>

// Maps a failure of Qt's HTTP layer onto the URL-loading codes that decide
// about retries. timedOutByUs: one of our own timers ended the request;
// cancelledByUs: the fetch was aborted on purpose.
TransportError transportErrorFor(QNetworkReply::NetworkError error, const QString &description, bool timedOutByUs,
                                 bool cancelledByUs);
