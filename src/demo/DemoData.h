#pragma once

#include <QByteArray>
#include <QDateTime>

class UsageService;

// Realistic answers of both usage services for the demo: every window the
// providers read (Claude's in today's "limits" form, with a model's own weekly
// cap, and its usage credits), reset times relative to now, Claude's weekly window in the
// orange band and ahead of pace (76 % used with 55 % of the week gone, so it
// runs out in about a day at that rate).
namespace DemoData {

QByteArray claudeDocument(const QDateTime &now);
QByteArray codexDocument(const QDateTime &now);

// Makes both paths of the service answer with the demo documents, built
// afresh for every request so the reset times keep moving with the clock.
void serveDemoDocuments(UsageService &service);

} // namespace DemoData
