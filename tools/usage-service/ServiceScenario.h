#pragma once

#include <QByteArray>
#include <QString>

#include <QJsonObject>

class ScriptedService;
struct RecordedRequest;

// Scenario files of the quotix-usage-service program: one JSON object keyed by
// path, each with a "default" answer and/or a "queue" of one-off answers.
// An answer is {"status", "body" (text as is, any other JSON value written
// compactly), "delayMs", "fault": "drop"|"truncate"|"gzip"|"endless-chunks"|
// "trickle"|"headers-then-hold"|"headers-then-close", "trickleMs" (the
// trickle's pace), "headers": {name: value} or [[name, value], ...]}; every
// member is optional.
namespace ServiceScenario {

// Configures the service from the document; on a fault returns false, says
// why in *error and leaves the service's answers as they were.
bool apply(const QByteArray &document, ScriptedService &service, QString *error);

} // namespace ServiceScenario

// One request as a line of the --record file. The Authorization value keeps
// its scheme and its length, never the credentials: "Bearer <redacted 40 chars>".
QJsonObject recordedRequestJson(const RecordedRequest &request);
