#pragma once

#include "platform/DesktopNotifier.h"

// A notification server that shows nothing and remembers every notification and withdrawal.
class RecordingNotifier : public DesktopNotifier {
public:
    void show(const Content& content) override { shown << content; }
    void withdraw() override { ++withdrawn; }
    QList<Content> shown;
    int withdrawn = 0;
};
