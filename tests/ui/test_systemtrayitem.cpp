// The XEmbed fallback's context menu: the same rows as the host-drawn menu,
// updated in place so an open menu follows, and its commands.
#include "ui/SystemTrayItem.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSystemTrayItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theMenuHoldsTheRows()
    {
        using Role = TrayMenuEntry::Role;
        const auto rows = [](const QString &figures, bool refresh, bool checked) {
            return QList<TrayMenuEntry>{{Role::Figures, figures, false},
                                        {Role::Separator},
                                        {Role::Refresh, u"Refresh"_s, refresh},
                                        {Role::LaunchAtLogin, u"Launch at Login"_s, true, checked},
                                        {Role::Quit, u"Quit"_s}};
        };
        SystemTrayItem item;
        item.setMenu(rows(u"Codex \u00B7 R&D 40%"_s, true, false));
        QMenu *menu = nullptr; // the tray icon's context menu, the one menu there is
        for (QWidget *widget : QApplication::allWidgets())
            menu = menu ? menu : qobject_cast<QMenu *>(widget);
        QVERIFY(menu);
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 5);
        QCOMPARE(actions.at(0)->text(), u"Codex \u00B7 R&&D 40%"_s); // an ampersand is no mnemonic
        QVERIFY(!actions.at(0)->isEnabled());
        QVERIFY(actions.at(1)->isSeparator());
        QVERIFY(actions.at(3)->isCheckable() && !actions.at(3)->isChecked());

        // Same rows, new values: the very same actions change.
        item.setMenu(rows(u"Codex \u00B7 41%"_s, false, true));
        QCOMPARE(menu->actions(), actions);
        QCOMPARE(actions.at(0)->text(), u"Codex \u00B7 41%"_s);
        QVERIFY(!actions.at(2)->isEnabled());
        QVERIFY(actions.at(3)->isChecked());

        QSignalSpy toggled(&item, &TrayItem::launchAtLoginRequested);
        QSignalSpy quit(&item, &TrayItem::quitRequested);
        actions.at(3)->trigger();
        actions.at(4)->trigger();
        QCOMPARE(toggled, QList<QVariantList>{{false}}); // the checked row unchecks
        QCOMPARE(quit.size(), 1);

        // Other rows: rebuilt.
        item.setMenu(QList<TrayMenuEntry>{{Role::Figures, u"Claude \u00B7 Loading"_s, false}}
                     + rows(u"Codex \u00B7 41%"_s, true, true));
        QCOMPARE(menu->actions().size(), 6);
        QCOMPARE(menu->actions().at(1)->text(), u"Codex \u00B7 41%"_s);
    }
};

QTEST_MAIN(TestSystemTrayItem)
#include "test_systemtrayitem.moc"
