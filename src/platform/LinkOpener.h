#pragma once

#include <QUrl>

// Hands a web or mail link to the desktop, which opens the user's browser or mail program.
// The result is not examined: the desktop says what it has to say itself.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual void open(const QUrl& url) = 0;

    static LinkOpener& instance();
    // Not owned. nullptr goes back to the desktop's services.
    static void setInstance(LinkOpener* opener);
};
