#pragma once

#include <QLocale>
#include <QTranslator>

#include <memory>

// The catalogue of every user text for a locale's language, or none when
// Quotix speaks no such language (its texts are English then).
std::unique_ptr<QTranslator> translatorFor(const QLocale &locale);

// Installs the catalogue for the user's language into the running
// application. Faces whose output programs read (JSON, CSV, a status bar's
// line) never call this, so that output stays English.
void installTranslations();
