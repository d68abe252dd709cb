#include "presentation/Translations.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

std::unique_ptr<QTranslator> translatorFor(const QLocale &locale)
{
    // English is the source language: a user who reads it first gets no
    // catalogue, even when a later language of theirs has one.
    const QStringList languages = locale.uiLanguages();
    if (languages.isEmpty() || languages.constFirst().startsWith(u"en"_s) || languages.constFirst() == u"C"_s)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, u"quotix"_s, u"_"_s, u":/i18n"_s))
        return nullptr;
    return translator;
}

void installTranslations()
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    if (auto translator = translatorFor(QLocale()); translator) {
        translator->setParent(app);
        QCoreApplication::installTranslator(translator.release());
    }
}
