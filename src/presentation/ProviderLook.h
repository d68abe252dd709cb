#pragma once

#include <QList>
#include <QString>

// How the faces show a provider. The providers' descriptors hand these over
// at start-up (providers/ProviderRegistry); a provider without one is shown
// by its name's initial.
struct ProviderLook
{
    QString id;      // "claude": the --json id, the settings' and history's key, the template fields' prefix
    QString name;    // "Claude"
    QString letter;  // "C": marks the provider in the tray icon; unique among providers
    QString symbol;  // plain-text stand-in for the artwork where a face has no picture; the letter if empty
    QString artwork; // the icon's theme or resource name; empty: the symbol is drawn
    // Template fields shown as examples in help texts: "{claude.fable}".
    QString fieldExample;
};

// Replaces the table of known looks, in display order.
void setProviderLooks(QList<ProviderLook> looks);
const QList<ProviderLook> &providerLooks();

// The look of this provider; for an extra account ("claude-work", "Claude ·
// work") its provider's, with the label's initial after the letter ("Cw");
// for one the table does not know, its name's initial and no artwork.
ProviderLook providerLook(const QString &id, const QString &name = {});
