#include "providers/Rfc3339.h"

#include <QDate>
#include <QTime>
#include <QTimeZone>

namespace {

class Cursor
{
public:
    explicit Cursor(QStringView text)
        : m_text(text)
    {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    // Exactly count ASCII digits.
    std::optional<int> digits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            if (atEnd() || !isDigit(m_text[m_pos]))
                return std::nullopt;
            value = value * 10 + (m_text[m_pos].unicode() - u'0');
            ++m_pos;
        }
        return value;
    }

    bool accept(char16_t c)
    {
        if (atEnd() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    bool acceptEither(char16_t a, char16_t b) { return accept(a) || accept(b); }

    // One or more digits, read as milliseconds (further digits are dropped).
    std::optional<int> fractionMilliseconds()
    {
        int ms = 0;
        int count = 0;
        while (!atEnd() && isDigit(m_text[m_pos])) {
            if (count < 3)
                ms = ms * 10 + (m_text[m_pos].unicode() - u'0');
            ++count;
            ++m_pos;
        }
        if (count == 0)
            return std::nullopt;
        for (int i = count; i < 3; ++i)
            ms *= 10;
        return ms;
    }

private:
    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// "Z", or "+hh:mm" / "-hh:mm", as seconds ahead of UTC.
std::optional<int> utcOffset(Cursor &in)
{
    if (in.acceptEither(u'Z', u'z'))
        return 0;
    int sign = 0;
    if (in.accept(u'+'))
        sign = 1;
    else if (in.accept(u'-'))
        sign = -1;
    else
        return std::nullopt;
    const auto hours = in.digits(2);
    if (!hours || !in.accept(u':'))
        return std::nullopt;
    const auto minutes = in.digits(2);
    if (!minutes || *hours > 23 || *minutes > 59)
        return std::nullopt;
    return sign * (*hours * 3600 + *minutes * 60);
}

} // namespace

std::optional<QDateTime> parseRfc3339(QStringView text)
{
    Cursor in(text);
    const auto year = in.digits(4);
    if (!year || !in.accept(u'-'))
        return std::nullopt;
    const auto month = in.digits(2);
    if (!month || !in.accept(u'-'))
        return std::nullopt;
    const auto day = in.digits(2);
    if (!day || !in.acceptEither(u'T', u't'))
        return std::nullopt;
    const auto hour = in.digits(2);
    if (!hour || !in.accept(u':'))
        return std::nullopt;
    const auto minute = in.digits(2);
    if (!minute || !in.accept(u':'))
        return std::nullopt;
    const auto second = in.digits(2);
    if (!second)
        return std::nullopt;
    int ms = 0;
    if (in.accept(u'.')) {
        const auto fraction = in.fractionMilliseconds();
        if (!fraction)
            return std::nullopt;
        ms = *fraction;
    }

    const auto offsetSeconds = utcOffset(in);
    if (!offsetSeconds || !in.atEnd())
        return std::nullopt;

    const QDate date(*year, *month, *day);
    // A leap second (:60) reads as the first moment of the next minute.
    const bool leapSecond = *second == 60;
    const QTime time(*hour, *minute, leapSecond ? 59 : *second, ms);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    QDateTime result(date, time, QTimeZone::fromSecondsAheadOfUtc(*offsetSeconds));
#else
    QDateTime result(date, time, Qt::OffsetFromUTC, *offsetSeconds);
#endif
    if (leapSecond)
        result = result.addSecs(1);
    return result.toUTC();
}
