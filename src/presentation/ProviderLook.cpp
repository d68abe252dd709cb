#include "presentation/ProviderLook.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QList<ProviderLook> &table()
{
    static QList<ProviderLook> looks;
    return looks;
}

} // namespace

void setProviderLooks(QList<ProviderLook> looks)
{
    table() = std::move(looks);
}

const QList<ProviderLook> &providerLooks()
{
    return table();
}

ProviderLook providerLook(const QString &id, const QString &name)
{
    const auto found
        = std::find_if(table().cbegin(), table().cend(), [&](const ProviderLook &look) { return look.id == id; });
    if (found != table().cend())
        return *found;
    const QString shown = name.isEmpty() ? id : name;
    const QString letter = shown.isEmpty() ? u"?"_s : shown.first(1).toUpper();
    return ProviderLook{id, shown, letter, letter, {}, {}};
}
