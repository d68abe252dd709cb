#pragma once

#include <QString>

#include <sqlite3.h>

#include <memory>

// The SQLite functions the history uses, called through pointers so that the
// library need only be in memory while a history file is open.
#define QUOTIX_SQLITE_FUNCTIONS(X)                                                                                     \
    X(bind_double)                                                                                                     \
    X(bind_int64)                                                                                                      \
    X(bind_null)                                                                                                       \
    X(bind_text)                                                                                                       \
    X(busy_timeout)                                                                                                    \
    X(changes)                                                                                                         \
    X(close_v2)                                                                                                        \
    X(db_config)                                                                                                       \
    X(column_bytes)                                                                                                    \
    X(column_double)                                                                                                   \
    X(column_int64)                                                                                                    \
    X(column_text)                                                                                                     \
    X(column_type)                                                                                                     \
    X(errmsg)                                                                                                          \
    X(exec)                                                                                                            \
    X(extended_errcode)                                                                                                \
    X(extended_result_codes)                                                                                           \
    X(finalize)                                                                                                        \
    X(free)                                                                                                            \
    X(last_insert_rowid)                                                                                               \
    X(open_v2)                                                                                                         \
    X(prepare_v2)                                                                                                      \
    X(reset)                                                                                                           \
    X(shutdown)                                                                                                        \
    X(step)

struct SqliteApi
{
#define QUOTIX_SQLITE_MEMBER(name) decltype(&sqlite3_##name) name = nullptr;
    QUOTIX_SQLITE_FUNCTIONS(QUOTIX_SQLITE_MEMBER)
#undef QUOTIX_SQLITE_MEMBER
};

// Loads SQLite for as long as someone holds the result. The text of a library
// that was touched at all stays resident, so a tray that writes one check
// every few minutes lets it go in between. On macOS it is linked as usual.
class SqliteLibrary
{
public:
    // The system's library when fileName is null. Absent, with *error saying
    // why, when it cannot be loaded or lacks a function.
    static std::shared_ptr<const SqliteApi> load(QString *error, const char *fileName = nullptr);
};
