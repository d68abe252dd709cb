#pragma once

#include "presentation/PanelModel.h"

#include <QWidget>

class PanelLabel;
class UsageBar;
class WindowChartView;

// One limit: its name and percentage, the bar with its pace marker, when it
// resets, and when it runs out at the pace so far.
class UsageRow : public QWidget
{
    Q_OBJECT
public:
    explicit UsageRow(QWidget *parent = nullptr);

    void setModel(const RowModel &row);

    QString titleText() const;
    QString percentText() const;
    QString resetText() const;      // empty when the row has no reset line
    QString projectionText() const; // empty when the row has no projection
    UsageBar *bar() const { return m_bar; }
    WindowChartView *chart() const { return m_chart; }

private:
    PanelLabel *m_title;
    PanelLabel *m_percent;
    WindowChartView *m_chart;
    UsageBar *m_bar;
    PanelLabel *m_reset;
    PanelLabel *m_projection;
};
