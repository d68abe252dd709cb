#pragma once

#include <QByteArray>
#include <QDateTime>

// The demo's Claude answer: every window the provider reads (in today's
// "limits" form, with a model's own weekly cap, and usage credits), reset
// times relative to now, the weekly window in the orange band and ahead of
// pace (76 % used with 55 % of the week gone).
namespace ClaudeDemo {

// The weekly figure in the first answer, and in every later one: the demo
// crosses 80 once, on its second refresh, so its alert can be seen.
inline constexpr double FirstWeeklyUsed = 76.0;
inline constexpr double LaterWeeklyUsed = 81.0;

QByteArray document(const QDateTime &now, double weeklyUsed = FirstWeeklyUsed);

} // namespace ClaudeDemo
