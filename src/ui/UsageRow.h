#pragma once

#include "presentation/PanelModel.h"

#include <QWidget>

class PanelLabel;
class UsageBar;

// One limit: its name and percentage, the bar, and when it resets.
class UsageRow : public QWidget
{
    Q_OBJECT
public:
    explicit UsageRow(QWidget *parent = nullptr);

    void setModel(const RowModel &row);

    QString titleText() const;
    QString percentText() const;
    QString resetText() const; // empty when the row has no reset line

private:
    PanelLabel *m_title;
    PanelLabel *m_percent;
    UsageBar *m_bar;
    PanelLabel *m_reset;
};
