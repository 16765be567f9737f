#pragma once

#include "platform/SystemSound.h"

#include <QStringList>

class RecordingSound : public SystemSound {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};
