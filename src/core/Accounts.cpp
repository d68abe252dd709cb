#include "core/Accounts.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

const auto ArrayKey = "accounts"_L1;

QString slugOf(const QString &label)
{
    QString slug;
    bool gap = false;
    for (const QChar c : label.toLower()) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (!plain) {
            gap = !slug.isEmpty();
            continue;
        }
        if (gap)
            slug += u'_';
        slug += c;
        gap = false;
    }
    return slug.isEmpty() ? u"account"_s : slug;
}

// A folder as a person writes it in the settings, as in a shell: "~" is the
// home folder, and a relative folder lies in it, not in whatever folder this
// program was started from (the tray's and a terminal's differ).
QString folderPath(const QString &written)
{
    QString path = written;
    if (path == u'~' || path.startsWith(u"~/"_s))
        path = QDir::homePath() + path.mid(1);
    return QDir::cleanPath(QDir::home().absoluteFilePath(path));
}

} // namespace

QString accountName(const QString &providerName, const QString &label)
{
    return providerName + AccountSeparator.toString() + label;
}

QString accountAlertName(const QString &providerName, const QString &label)
{
    return providerName + u" ("_s + label + u')';
}

QStringList accountIds(const QList<ExtraAccount> &accounts)
{
    QStringList ids;
    for (const ExtraAccount &account : accounts) {
        const QString base = account.provider + u'-' + slugOf(account.label);
        QString id = base;
        for (int n = 2; ids.contains(id); ++n)
            id = base + u'_' + QString::number(n);
        ids.append(id);
    }
    return ids;
}

QList<ExtraAccount> accountsFromSettings(QSettings &settings)
{
    QList<ExtraAccount> accounts;
    const int size = settings.beginReadArray(ArrayKey);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        ExtraAccount account{settings.value("provider"_L1).toString().trimmed(),
                             settings.value("folder"_L1).toString().trimmed(),
                             settings.value("label"_L1).toString().trimmed()};
        if (account.provider.isEmpty() || account.folder.isEmpty())
            continue;
        account.folder = folderPath(account.folder);
        if (account.label.isEmpty())
            account.label = QFileInfo(account.folder).fileName();
        accounts.append(account);
    }
    settings.endArray();
    return accounts;
}

void writeAccounts(QSettings &settings, const QList<ExtraAccount> &accounts)
{
    settings.remove(ArrayKey);
    settings.beginWriteArray(ArrayKey, int(accounts.size()));
    for (int i = 0; i < accounts.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue("provider"_L1, accounts.at(i).provider);
        settings.setValue("folder"_L1, accounts.at(i).folder);
        settings.setValue("label"_L1, accounts.at(i).label);
    }
    settings.endArray();
}

ProviderList withAccounts(const ProviderList &providers, const ProviderList &accounts)
{
    ProviderList ordered;
    ProviderList rest = accounts;
    for (const auto &provider : providers) {
        ordered.append(provider);
        const QString prefix = provider->id() + u'-';
        for (auto it = rest.begin(); it != rest.end();) {
            if ((*it)->id().startsWith(prefix)) {
                ordered.append(*it);
                it = rest.erase(it);
            } else {
                ++it;
            }
        }
    }
    return ordered + rest;
}
