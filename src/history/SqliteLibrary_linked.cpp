#include "history/SqliteLibrary.h"

// Linked as usual: the library is in memory for the program's whole life.
std::shared_ptr<const SqliteApi> SqliteLibrary::load(QString *, const char *)
{
    static const SqliteApi api{
#define QUOTIX_SQLITE_ADDRESS(name) &sqlite3_##name,
        QUOTIX_SQLITE_FUNCTIONS(QUOTIX_SQLITE_ADDRESS)
#undef QUOTIX_SQLITE_ADDRESS
    };
    return std::shared_ptr<const SqliteApi>(std::shared_ptr<const SqliteApi>{}, &api);
}
