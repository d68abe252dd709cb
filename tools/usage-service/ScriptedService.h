#pragma once

#include "fetch/UsageService.h"

#include <QHash>
#include <QList>

#include <chrono>
#include <functional>
#include <utility>

// An answer of the scripted service: the demo's, or one that misbehaves.
struct ScriptedAnswer : ServiceAnswer
{
    enum class Fault {
        None,
        DropConnection, // close the connection without answering
        TruncateBody,   // announce the full Content-Length, send half the body, close
        // Hostile answers, each with the status and headers as usual:
        GzipBody,         // the body gzip-compressed, with "Content-Encoding: gzip"
        EndlessChunks,    // a chunked body that never ends, sent as fast as it is read
        Trickle,          // the body one byte per trickleInterval
        HeadersThenHold,  // announce the body's length, send none of it, keep the connection open
        HeadersThenClose, // announce the body's length, send none of it, close
    };

    ScriptedAnswer() = default;
    ScriptedAnswer(ServiceAnswer answer, Fault fault = Fault::None)
        : ServiceAnswer(std::move(answer))
        , fault(fault)
    {}

    Fault fault = Fault::None;
    std::chrono::milliseconds trickleInterval{1000}; // for Fault::Trickle
};

// The substitute service of tests, benchmarks and quotix-usage-service: each
// path answers from its queue of one-off answers first, then with its
// default answer (its own, else the demo's); answers may misbehave on
// purpose; every request is kept for requests().
class ScriptedService : public UsageService
{
    Q_OBJECT
public:
    using ScriptedFactory = std::function<ScriptedAnswer()>;

    using UsageService::UsageService;

    void setDefaultAnswer(const QString &path, const ScriptedAnswer &answer);
    void setDefaultAnswerFactory(const QString &path, ScriptedFactory factory);
    void enqueue(const QString &path, const ScriptedAnswer &answer);
    void clearAnswers();

    QList<RecordedRequest> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Keeps received requests for requests() (the default); a long-running
    // service that only forwards requestReceived turns this off.
    void setKeepsRequests(bool keep);

protected:
    void respond(ServiceConnection &connection, const RecordedRequest &request) override;

private:
    ScriptedAnswer answerFor(const QString &path);

    QHash<QString, ScriptedFactory> m_factories;
    QHash<QString, QList<ScriptedAnswer>> m_queues;
    QList<RecordedRequest> m_requests;
    bool m_keepsRequests = true;
};

// A gzip member of the bytes, as a server would send it.
QByteArray gzipped(const QByteArray &data);
