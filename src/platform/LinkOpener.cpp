#include "platform/LinkOpener.h"

#include <QDesktopServices>

namespace {
class DesktopLinkOpener : public LinkOpener {
public:
    void open(const QUrl& url) override { QDesktopServices::openUrl(url); }
};

DesktopLinkOpener desktop;
LinkOpener* current = &desktop;
} // namespace

LinkOpener& LinkOpener::instance()
{
    return *current;
}

void LinkOpener::setInstance(LinkOpener* opener)
{
    current = opener ? opener : &desktop;
}
