#include "presentation/ProviderLook.h"

#include "core/Accounts.h"

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
    const auto lookOf = [](const QString &wanted) {
        return std::find_if(table().cbegin(), table().cend(), [&](const ProviderLook &look) { return look.id == wanted; });
    };
    const auto found = lookOf(id);
    if (found != table().cend())
        return *found;
    // An extra account ("claude-work"): its provider's look, its own name,
    // and its label's initial after the provider's letter ("Cw").
    const qsizetype dash = id.indexOf(u'-');
    if (const auto base = lookOf(id.first(std::max<qsizetype>(dash, 0))); dash > 0 && base != table().cend()) {
        ProviderLook look = *base;
        const QString label = name.isEmpty() ? id.mid(dash + 1).replace(u'_', u' ')
                                             : name.section(AccountSeparator.toString(), 1);
        look.id = id;
        look.name = name.isEmpty() ? accountName(base->name, label) : name;
        if (!label.isEmpty())
            look.letter += label.first(1).toLower();
        look.fieldExample.clear();
        return look;
    }
    const QString shown = name.isEmpty() ? id : name;
    const QString letter = shown.isEmpty() ? u"?"_s : shown.first(1).toUpper();
    return ProviderLook{id, shown, letter, letter, {}, {}};
}
