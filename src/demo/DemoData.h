#pragma once

#include "providers/claude/ClaudeDemo.h"

class UsageService;

// The demo's answers are each provider's own (ProviderDescriptor::demo).
namespace DemoData {

// Claude's weekly figure in the first answer and in every later one.
inline constexpr double FirstWeeklyUsed = ClaudeDemo::FirstWeeklyUsed;
inline constexpr double LaterWeeklyUsed = ClaudeDemo::LaterWeeklyUsed;

// Makes every provider's paths of the service answer with its demo documents,
// built afresh for every request so the reset times keep moving with the clock.
void serveDemoDocuments(UsageService &service);

} // namespace DemoData
