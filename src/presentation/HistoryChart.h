#pragma once

#include "core/HistorySample.h"
#include "presentation/WindowChart.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

#include <chrono>

// One limit over a period (the History window's last 7 or 30 days), in
// shares: x is the share of the period (0 at its start, 1 now), y the used share.
struct HistoryChart
{
    QString provider; // the provider's id
    QString limit;    // the limit's name
    QList<QList<QPointF>> runs;
    QList<double> resets;  // where a window ended and the next began
    QList<double> reached; // where the limit reached 100 %
};

// history: samples in the store's order (provider, limit, time). One chart
// per limit that has a sample in [from, to], in the order of first appearance.
QList<HistoryChart> historyCharts(const QList<HistorySample> &history, const QDateTime &from, const QDateTime &to,
                                  std::chrono::seconds gap = ChartGap);
