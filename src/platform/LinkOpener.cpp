#include "platform/LinkOpener.h"

#include "platform/ChildEnvironment.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace {
class DesktopLinkOpener : public LinkOpener {
public:
    void open(const QUrl& url) override
    {
        // The desktop's own opener, as Qt would start it, but with the environment the user gave
        // (the browser keeps its accessibility bridge); Qt's search for a browser only without one.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            QDesktopServices::openUrl(url);
            return;
        }
        QProcess process;
        process.setProgram(opener);
        process.setArguments({url.toString(QUrl::FullyEncoded)});
        process.setProcessEnvironment(ChildEnvironment::forChildren());
        process.startDetached();
    }
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
