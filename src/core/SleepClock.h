#pragma once

#include <chrono>

// A clock that is never set and keeps counting while the machine sleeps:
// a wait measured on it lasts as long as it says across a suspend or a change
// of the wall clock.
std::chrono::milliseconds sleepCountingClock();
