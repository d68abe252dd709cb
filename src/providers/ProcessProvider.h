#pragma once

#include "core/FetchJob.h"
#include "core/UsageProvider.h"
#include "providers/ProviderSetup.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

// The program that runs one attempt and prints its result (quotix-status
// fetch-once; see fetch/FetchOnce.h), so that the process that keeps running
// loads no network code.
struct FetchProgram
{
    QString path;
    QStringList arguments; // before the provider's id
    // Extra words after the id ("--settings FILE").
    QStringList trailing;
    // The program ends its own requests (Gemini's two at 30 s each); past
    // this it is taken to hang, is killed and the attempt has timed out.
    std::chrono::milliseconds hangLimit{70'000};
};

// quotix-status beside this program; on macOS the bundle's one executable.
FetchProgram defaultFetchProgram();

// A provider whose every attempt runs the fetch program for its id (an extra
// account's, too) and ends with the result it printed. Only availability is
// decided here, from the same login reader the program's provider reads.
class ProcessProvider : public UsageProvider
{
public:
    ProcessProvider(QString id, QString name, std::function<bool()> available, FetchProgram program, bool demo = false);

    QString id() const override { return m_id; }
    QString name() const override { return m_name; }
    bool isAvailable() const override { return m_available(); }
    FetchJob *fetchUsage(QObject *parent) override;

private:
    QString m_id;
    QString m_name;
    std::function<bool()> m_available;
    FetchProgram m_program;
    bool m_demo;
    // The demo's first answer differs from the later ones.
    int m_attempts = 0;
};

// The providers of the running tray, each fetching through program: the
// user's logins, or with demo the demo's (which reads none).
std::optional<ProviderSetup> makeProcessProviderSetup(bool demo, const FetchProgram &program, QString *error);
