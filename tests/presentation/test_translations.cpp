#include "presentation/EmptyState.h"
#include "presentation/Translations.h"
#include "support/DataRows.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueForTheUsersLanguage_data()
    {
        // loading: empty where no catalogue is found and the English source shows
        addColumns<QString, QString>("locale", "loading");
        QTest::newRow("German") << u"de_DE"_s << u"Wird geladen …"_s;
        QTest::newRow("German, Swiss") << u"de_CH"_s << u"Wird geladen …"_s;
        QTest::newRow("Japanese") << u"ja_JP"_s << u"読み込み中…"_s;
        QTest::newRow("English") << u"en_GB"_s << QString();
        QTest::newRow("French") << u"fr_FR"_s << QString();
        QTest::newRow("C") << u"C"_s << QString();
    }
    void catalogueForTheUsersLanguage()
    {
        const auto [locale, loading] = fetchRow<QString, QString>("locale", "loading");
        const auto translator = translatorFor(QLocale(locale));
        QCOMPARE(translator != nullptr, !loading.isEmpty());
        if (!translator)
            return;
        QCOMPARE(translator->translate(LoadingText.context, LoadingText.source), loading);
        // Installed, it reaches every text read through the application.
        QCoreApplication::installTranslator(translator.get());
        QCOMPARE(LoadingText.toString(), loading);
        QCoreApplication::removeTranslator(translator.get());
    }

    // Every source has a finished translation that keeps its placeholders, so
    // no text falls back to English and no figure goes missing.
    void everySourceIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("de") << u"de"_s;
        QTest::newRow("ja") << u"ja"_s;
    }
    void everySourceIsTranslated()
    {
        QFETCH(QString, language);
        QFile file(QStringLiteral(QUOTIX_TEST_DATA "/../../translations/quotix_%1.ts").arg(language));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QRegularExpression placeholder(u"%\\d"_s);
        const auto placeholders = [&](const QString &text) {
            QStringList found;
            for (auto match = placeholder.globalMatch(text); match.hasNext();)
                found.append(match.next().captured());
            found.sort();
            return found;
        };
        QXmlStreamReader xml(&file);
        QString source;
        QStringList problems;
        int messages = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == "source"_L1) {
                source = xml.readElementText();
            } else if (xml.name() == "translation"_L1) {
                ++messages;
                const QString type = xml.attributes().value("type"_L1).toString();
                const QString text = xml.readElementText();
                if (!type.isEmpty() || text.isEmpty())
                    problems.append(u"%1 (%2)"_s.arg(source, type.isEmpty() ? u"empty"_s : type));
                else if (placeholders(text) != placeholders(source))
                    problems.append(source + u" (placeholders)"_s);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 50);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
