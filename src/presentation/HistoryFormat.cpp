#include "presentation/HistoryFormat.h"

#include "core/Bands.h"
#include "presentation/ProviderLook.h"
#include "presentation/StatusFormat.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString number(double value)
{
    return std::isfinite(value) ? QString::number(value, 'g', QLocale::FloatingPointShortest) : QString();
}

QString optionalTime(const std::optional<QDateTime> &moment)
{
    return moment && moment->isValid() ? isoTimestamp(*moment) : QString();
}

bool sameLimit(const HistorySample &a, const HistorySample &b)
{
    return a.provider == b.provider && a.limit == b.limit;
}

} // namespace

QString providerDisplayName(const QString &providerId)
{
    // An extra account's look is its provider's, named after the account.
    return providerLook(providerId).name;
}

QByteArray historyCsv(const QList<HistorySample> &samples)
{
    QString out = u"time,until,provider,limit,kind,window_seconds,used_percent,resets_at\r\n"_s;
    for (const HistorySample &sample : samples) {
        const QStringList fields{isoTimestamp(sample.time),
                                 isoTimestamp(sample.until),
                                 csvField(sample.provider),
                                 csvField(sample.limit),
                                 limitKindName(sample.kind),
                                 sample.windowSeconds ? QString::number(*sample.windowSeconds) : QString(),
                                 number(sample.utilization),
                                 optionalTime(sample.resetTime)};
        out += fields.join(u',') + u"\r\n"_s;
    }
    return out.toUtf8();
}

QByteArray historyJsonLines(const QList<HistorySample> &samples)
{
    QByteArray out;
    for (const HistorySample &sample : samples) {
        QJsonObject object{
            {u"time"_s, isoTimestamp(sample.time)},
            {u"until"_s, isoTimestamp(sample.until)},
            {u"provider"_s, sample.provider},
            {u"limit"_s, sample.limit},
            {u"kind"_s, limitKindName(sample.kind)},
            {u"windowSeconds"_s, sample.windowSeconds ? QJsonValue(double(*sample.windowSeconds)) : QJsonValue()},
            {u"utilization"_s, std::isfinite(sample.utilization) ? QJsonValue(sample.utilization) : QJsonValue()},
            {u"resetTime"_s, sample.resetTime ? QJsonValue(isoTimestamp(*sample.resetTime)) : QJsonValue()},
        };
        out += QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    return out;
}

QString sparkline(const QList<std::optional<double>> &levels)
{
    static const QString blocks = u"▁▂▃▄▅▆▇█"_s;
    QString line;
    for (const auto &level : levels) {
        if (!level || std::isnan(*level)) {
            line += u' ';
            continue;
        }
        const double share = std::clamp(*level, 0.0, 100.0) / 100.0;
        line += blocks.at(qsizetype(std::lround(share * (blocks.size() - 1))));
    }
    return line;
}

QList<std::optional<double>> historyColumns(const QList<HistorySample> &samples, const QDateTime &from,
                                            const QDateTime &to, int columns)
{
    QList<std::optional<double>> result(std::max(columns, 0));
    const qint64 span = from.msecsTo(to);
    if (columns <= 0 || span <= 0)
        return result;
    for (const HistorySample &sample : samples) {
        if (!std::isfinite(sample.utilization))
            continue;
        const qint64 start = std::max<qint64>(0, from.msecsTo(sample.time));
        const qint64 end = std::min(span - 1, from.msecsTo(sample.until));
        if (end < 0 || start >= span)
            continue;
        for (qint64 column = start * columns / span; column <= end * columns / span; ++column) {
            auto &cell = result[column];
            cell = cell ? std::max(*cell, sample.utilization) : sample.utilization;
        }
    }
    return result;
}

QString historyText(const QList<HistorySample> &samples, const QDateTime &from, const QDateTime &to, int columns)
{
    if (samples.isEmpty())
        return QCoreApplication::translate("History", "No usage recorded in this period.") + u'\n';
    struct Line
    {
        QString provider;
        QString limit;
        QString chart;
        QString latest;
        QString peak;
    };
    QList<Line> lines;
    qsizetype providerWidth = 0;
    qsizetype limitWidth = 0;
    for (qsizetype first = 0; first < samples.size();) {
        qsizetype last = first;
        while (last + 1 < samples.size() && sameLimit(samples[last + 1], samples[first]))
            ++last;
        const QList<HistorySample> limit = samples.mid(first, last - first + 1);
        double peak = -1;
        for (const HistorySample &sample : limit)
            if (std::isfinite(sample.utilization))
                peak = std::max(peak, sample.utilization);
        Line line{providerDisplayName(limit.constFirst().provider), limit.constFirst().limit,
                  sparkline(historyColumns(limit, from, to, columns)),
                  percentText(limit.constLast().utilization),
                  peak < 0 ? u"--"_s : percentText(peak)};
        providerWidth = std::max(providerWidth, terminalColumns(line.provider));
        limitWidth = std::max(limitWidth, terminalColumns(line.limit));
        lines.append(line);
        first = last + 1;
    }
    QString out;
    for (const Line &line : std::as_const(lines))
        out += paddedToColumns(line.provider, providerWidth) + u"  "_s + paddedToColumns(line.limit, limitWidth)
            + u"  │"_s + line.chart + u"│  "_s
            + QCoreApplication::translate("History", "last %1, peak %2").arg(line.latest, line.peak) + u'\n';
    return out;
}
