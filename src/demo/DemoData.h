#pragma once

#include "providers/claude/ClaudeDemo.h"

// The demo's answers are each provider's own (ProviderDescriptor::demo).
namespace DemoData {

// Claude's weekly figure in the first answer and in every later one.
inline constexpr double FirstWeeklyUsed = ClaudeDemo::FirstWeeklyUsed;
inline constexpr double LaterWeeklyUsed = ClaudeDemo::LaterWeeklyUsed;

} // namespace DemoData
