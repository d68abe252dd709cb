#include "usage-service/ServiceScenario.h"

#include "usage-service/ScriptedService.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct PathAnswers
{
    QString path;
    std::optional<ScriptedAnswer> defaultAnswer;
    QList<ScriptedAnswer> queue;
};

std::optional<QList<QPair<QByteArray, QByteArray>>> readHeaders(const QJsonValue &value)
{
    QList<QPair<QByteArray, QByteArray>> headers;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!it.value().isString())
                return std::nullopt;
            headers.append({it.key().toLatin1(), it.value().toString().toLatin1()});
        }
        return headers;
    }
    if (!value.isArray())
        return std::nullopt;
    for (const QJsonValue &pair : value.toArray()) {
        const QJsonArray items = pair.toArray();
        if (items.size() != 2 || !items[0].isString() || !items[1].isString())
            return std::nullopt;
        headers.append({items[0].toString().toLatin1(), items[1].toString().toLatin1()});
    }
    return headers;
}

std::optional<ScriptedAnswer> readAnswer(const QJsonValue &value, const QString &where, QString *error)
{
    if (!value.isObject()) {
        *error = where + u" must be an object"_s;
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    ScriptedAnswer answer;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        const QJsonValue member = it.value();
        if (key == "status"_L1) {
            const int status = member.toInt(-1);
            if (!member.isDouble() || status < 100 || status > 999) {
                *error = where + u": \"status\" must be an HTTP status code"_s;
                return std::nullopt;
            }
            answer.status = status;
        } else if (key == "body"_L1) {
            if (member.isString())
                answer.body = member.toString().toUtf8();
            else if (member.isObject())
                answer.body = QJsonDocument(member.toObject()).toJson(QJsonDocument::Compact);
            else if (member.isArray())
                answer.body = QJsonDocument(member.toArray()).toJson(QJsonDocument::Compact);
            else // a bare scalar: write it as the JSON text it is
                answer.body = QJsonDocument(QJsonArray{member}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
        } else if (key == "delayMs"_L1) {
            const qint64 delay = member.toInteger(-1);
            if (!member.isDouble() || delay < 0) {
                *error = where + u": \"delayMs\" must be a whole number of milliseconds"_s;
                return std::nullopt;
            }
            answer.delay = std::chrono::milliseconds(delay);
        } else if (key == "fault"_L1) {
            using Fault = ScriptedAnswer::Fault;
            static const QHash<QString, Fault> faults = {
                {u"none"_s, Fault::None},
                {u"drop"_s, Fault::DropConnection},
                {u"truncate"_s, Fault::TruncateBody},
                {u"gzip"_s, Fault::GzipBody},
                {u"endless-chunks"_s, Fault::EndlessChunks},
                {u"trickle"_s, Fault::Trickle},
                {u"headers-then-hold"_s, Fault::HeadersThenHold},
                {u"headers-then-close"_s, Fault::HeadersThenClose},
            };
            const auto fault = faults.constFind(member.toString());
            if (!member.isString() || fault == faults.cend()) {
                *error = where
                    + u": \"fault\" must be \"drop\", \"truncate\", \"gzip\", \"endless-chunks\", \"trickle\", "
                      u"\"headers-then-hold\" or \"headers-then-close\""_s;
                return std::nullopt;
            }
            answer.fault = *fault;
        } else if (key == "trickleMs"_L1) {
            const qint64 interval = member.toInteger(-1);
            if (!member.isDouble() || interval < 1) {
                *error = where + u": \"trickleMs\" must be a whole number of milliseconds, at least 1"_s;
                return std::nullopt;
            }
            answer.trickleInterval = std::chrono::milliseconds(interval);
        } else if (key == "headers"_L1) {
            const auto headers = readHeaders(member);
            if (!headers) {
                *error = where + u": \"headers\" must be an object of texts or a list of [name, value] pairs"_s;
                return std::nullopt;
            }
            answer.headers = *headers;
        } else {
            // A typo would otherwise silently change what the service does.
            *error = where + u": unknown member \""_s + key + u"\""_s;
            return std::nullopt;
        }
    }
    return answer;
}

} // namespace

namespace ServiceScenario {

bool apply(const QByteArray &document, ScriptedService &service, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(document, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = u"not JSON: "_s + parseError.errorString() + u" at offset "_s + QString::number(parseError.offset);
        return false;
    }
    if (!json.isObject()) {
        *error = u"the scenario must be a JSON object keyed by path"_s;
        return false;
    }

    QList<PathAnswers> all;
    const QJsonObject paths = json.object();
    for (auto it = paths.begin(); it != paths.end(); ++it) {
        PathAnswers entry{it.key(), std::nullopt, {}};
        if (!entry.path.startsWith(u'/') || !it.value().isObject()) {
            *error = u"\""_s + entry.path + u"\" must be a path starting with / and hold an object"_s;
            return false;
        }
        const QJsonObject answers = it.value().toObject();
        for (auto member = answers.begin(); member != answers.end(); ++member) {
            if (member.key() == "default"_L1) {
                entry.defaultAnswer = readAnswer(member.value(), entry.path + u" default"_s, error);
                if (!entry.defaultAnswer)
                    return false;
            } else if (member.key() == "queue"_L1 && member.value().isArray()) {
                const QJsonArray queue = member.value().toArray();
                for (qsizetype i = 0; i < queue.size(); ++i) {
                    auto answer = readAnswer(queue[i], entry.path + u" queue["_s + QString::number(i) + u"]"_s, error);
                    if (!answer)
                        return false;
                    entry.queue.append(*answer);
                }
            } else {
                *error = entry.path + u": expected \"default\" (an object) and/or \"queue\" (a list), got \""_s
                    + member.key() + u"\""_s;
                return false;
            }
        }
        all.append(entry);
    }

    for (const PathAnswers &entry : std::as_const(all)) {
        if (entry.defaultAnswer)
            service.setDefaultAnswer(entry.path, *entry.defaultAnswer);
        for (const ScriptedAnswer &answer : entry.queue)
            service.enqueue(entry.path, answer);
    }
    return true;
}

} // namespace ServiceScenario

namespace {

QString redactedCredentials(const QByteArray &value)
{
    const qsizetype space = value.indexOf(' ');
    const QByteArray scheme = space < 0 ? QByteArray() : value.left(space + 1);
    const qsizetype length = value.size() - scheme.size();
    return QString::fromLatin1(scheme) + u"<redacted %1 chars>"_s.arg(length);
}

} // namespace

QJsonObject recordedRequestJson(const RecordedRequest &request)
{
    QJsonArray headers;
    for (const auto &[name, value] : request.headers) {
        const bool secret = name.compare("Authorization", Qt::CaseInsensitive) == 0;
        headers.append(
            QJsonArray{QString::fromLatin1(name), secret ? redactedCredentials(value) : QString::fromLatin1(value)});
    }
    return QJsonObject{
        {u"method"_s, QString::fromLatin1(request.method)},
        {u"path"_s, QString::fromLatin1(request.path)},
        {u"headers"_s, headers},
        {u"body"_s, QString::fromUtf8(request.body)},
    };
}
