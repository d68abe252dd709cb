#include "core/DisplayText.h"

namespace {

bool isSpacing(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool isUnsafe(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) // C0, DEL, C1
        || (c >= 0x202a && c <= 0x202e)         // embeddings and overrides
        || (c >= 0x2066 && c <= 0x2069);        // isolates
}

} // namespace

QString displaySafeText(const QString &text)
{
    QString safe = text;
    for (QChar &c : safe) {
        const char16_t code = c.unicode();
        if (isSpacing(code))
            c = u' ';
        else if (isUnsafe(code))
            c = QChar::ReplacementCharacter;
    }
    return safe;
}

ProviderUsageResponse displaySafeUsage(ProviderUsageResponse usage)
{
    for (UsageLimit &limit : usage.limits) {
        limit.name = displaySafeText(limit.name);
        if (limit.scope)
            limit.scope = displaySafeText(*limit.scope);
    }
    if (usage.credits) {
        if (usage.credits->balance)
            usage.credits->balance = displaySafeText(*usage.credits->balance);
        for (auto *money : {&usage.credits->used, &usage.credits->limit}) {
            if (*money)
                (*money)->currency = displaySafeText((*money)->currency);
        }
    }
    if (usage.budgetReachedType)
        usage.budgetReachedType = displaySafeText(*usage.budgetReachedType);
    return usage;
}
