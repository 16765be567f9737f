#pragma once

#include "platform/LinkOpener.h"

#include <QList>

class RecordingLinkOpener : public LinkOpener {
public:
    void open(const QUrl& url) override { opened << url; }
    QList<QUrl> opened;
};
