#pragma once

#include "core/HistorySample.h"
#include "presentation/HistoryChart.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class PanelLabel;
class QVBoxLayout;
class ScrollStack;
class SegmentedPicker;

// The "History" window: each limit over the last 7 or 30 days, with its
// resets and the times it reached 100 % marked. Reads the history anew when
// shown, when the period changes and on reload(). Shown, it is as tall as its
// charts where its screen has the room; otherwise the charts scroll below the
// period picker. A height the user chose by hand is kept when it opens again.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // Recorded samples of every provider since a moment.
    using HistorySource = std::function<QList<HistorySample>(const QDateTime &since)>;

    // providerNames: a provider's name by its id, for the charts' titles.
    HistoryWindow(HistorySource source, QHash<QString, QString> providerNames, QWidget *parent = nullptr);

    static constexpr int PeriodDays[] = {7, 30};
    int days() const { return PeriodDays[m_period]; }
    SegmentedPicker *periodPicker() const { return m_picker; }
    ScrollStack *chartsArea() const { return m_chartsArea; }
    // Accounts come and go while the window lives: its titles follow.
    void setProviderNames(QHash<QString, QString> providerNames);
    // What is drawn, for tests.
    const QList<HistoryChart> &charts() const { return m_charts; }
    const QStringList &chartTitles() const { return m_titles; }
    bool showsEmptyText() const;

    // now: the period's end; the clock's time when left out.
    void reload(const QDateTime &now = {});

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void fitHeight();

    HistorySource m_source;
    QHash<QString, QString> m_names;
    int m_period = 0;
    int m_fittedHeight = -1;
    bool m_heightChosen = false;
    SegmentedPicker *m_picker;
    ScrollStack *m_chartsArea;
    PanelLabel *m_empty;
    QList<QWidget *> m_chartWidgets;
    QList<HistoryChart> m_charts;
    QStringList m_titles;
};
