#include "core/UsageModel.h"

#include <algorithm>

double ProviderUsageResponse::maxUtilization() const
{
    if (limits.isEmpty())
        return 0.0;
    const auto largest = std::max_element(limits.cbegin(), limits.cend(), [](const UsageLimit &a, const UsageLimit &b) {
        return a.utilization < b.utilization;
    });
    return largest->utilization;
}
