#include "presentation/Translations.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

std::unique_ptr<QTranslator> translatorFor(const QLocale &locale)
{
    // English is the source language: no catalogue, not even an empty one.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
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
