#include "platform/NotifyIconService.h"
#include "platform/QtNotifyIconService.h"

namespace {
NotifyIconService* current = nullptr;

NotifyIconService& desktopService()
{
    static QtNotifyIconService service;
    return service;
}
} // namespace

NotifyIconService& NotifyIconService::instance()
{
    return current ? *current : desktopService();
}

void NotifyIconService::setInstance(NotifyIconService* service)
{
    current = service;
}
