#include "demo/DemoData.h"

#include "demo/UsageService.h"
#include "providers/ProviderRegistry.h"

#include <memory>

void DemoData::serveDemoDocuments(UsageService &service)
{
    for (const ProviderDescriptor &descriptor : providerDescriptors()) {
        for (const DemoAnswer &demo : descriptor.demo) {
            // Shared, since the service may copy the factory.
            auto answered = std::make_shared<int>(0);
            service.setDefaultAnswerFactory(demo.path, [answered, body = demo.body] {
                ServiceAnswer answer;
                answer.body = body(QDateTime::currentDateTimeUtc(), (*answered)++);
                return answer;
            });
        }
    }
}
