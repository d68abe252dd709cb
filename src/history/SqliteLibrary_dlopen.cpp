#include "history/SqliteLibrary.h"

#include <QCoreApplication>

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

using namespace Qt::StringLiterals;

namespace {

struct Loaded
{
    SqliteApi api;
    void *handle = nullptr;
    int holders = 0;
    // Whether the process had it before: then another part of it may hold
    // connections, and shutting SQLite down would pull them from under it.
    bool sharedWithOthers = false;
};

// SQLite is bound at load (BIND_NOW) and calls its own exported functions
// through its PLT: some 1,200 look-ups that would each walk every library of
// the process first. Looking in its own scope first finds them at once. The
// sanitizers refuse that flag, and their builds do not need the speed.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUOTIX_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define QUOTIX_SANITIZED
#endif
#endif
#ifdef QUOTIX_SANITIZED
constexpr int OwnSymbolsFirst = 0;
#else
constexpr int OwnSymbolsFirst = RTLD_DEEPBIND;
#endif

std::mutex loadedMutex;
std::map<std::string, Loaded> loadedLibraries; // nodes stay where they are

void letGo(Loaded &loaded)
{
    const std::lock_guard lock(loadedMutex);
    if (--loaded.holders > 0)
        return;
    if (!loaded.sharedWithOthers)
        loaded.api.shutdown();
    dlclose(loaded.handle);
    loaded = {};
}

bool resolve(Loaded &loaded)
{
    bool complete = true;
#define QUOTIX_SQLITE_RESOLVE(name)                                                                                    \
    loaded.api.name = reinterpret_cast<decltype(&sqlite3_##name)>(dlsym(loaded.handle, "sqlite3_" #name));             \
    complete = complete && loaded.api.name;
    QUOTIX_SQLITE_FUNCTIONS(QUOTIX_SQLITE_RESOLVE)
#undef QUOTIX_SQLITE_RESOLVE
    return complete;
}

} // namespace

std::shared_ptr<const SqliteApi> SqliteLibrary::load(QString *error, const char *fileName)
{
    if (!fileName)
        fileName = "libsqlite3.so.0";
    const std::lock_guard lock(loadedMutex);
    Loaded &loaded = loadedLibraries[fileName];
    if (loaded.holders == 0) {
        void *before = dlopen(fileName, RTLD_LAZY | RTLD_NOLOAD);
        if (before)
            dlclose(before);
        loaded.handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL | OwnSymbolsFirst);
        QString reason;
        if (!loaded.handle)
            reason = QString::fromLocal8Bit(dlerror());
        else if (!resolve(loaded))
            reason = QString::fromLocal8Bit(fileName) + u": a function is missing"_s;
        if (!reason.isEmpty()) {
            if (loaded.handle)
                dlclose(loaded.handle);
            loaded = {};
            *error = QCoreApplication::translate("History", "SQLite cannot be loaded: %1").arg(reason);
            return nullptr;
        }
        loaded.sharedWithOthers = before != nullptr;
    }
    ++loaded.holders;
    return std::shared_ptr<const SqliteApi>(&loaded.api, [&loaded](const SqliteApi *) { letGo(loaded); });
}
