#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// One message between the program and its sound process, which talk over the process's standard
// input and output; the one format both sides share. Framed by length so a message may arrive in
// pieces or several at once. A request that is answered carries an id, and its answers name it, so
// a late answer to an earlier request is told apart.
struct SoundMessage {
    enum Kind : quint8 {
        // to the sound process
        Prepare = 1,
        Start,
        Stop,
        StartAt,
        Release,
        Gain,
        AlertPrepare,
        AlertPlay,
        // from it
        Failed,
        PrepareFailed,
        OutputLost,
        OutputBack,
        // to the sound process: a process before it raised the output's level from this (text),
        // which is owed to the user
        OutputWas,
        // from it: the sound of Start `id` reached the output
        Started,
        // from it, about once a second while Start `id` plays: the sound still moves on
        Flowing,
        // from it: the output's level was raised from this (text), or put back (empty)
        OutputRaised,
    };

    Kind kind = Stop;
    QString path;
    QString text;      // a failure's reason
    qint64 number = 0; // StartAt: the moment, ms since the epoch; Start: the bits below
    // Start's number: the sound loops; the output's level is left as the user has it (a try).
    static constexpr qint64 Loops = 1;
    static constexpr qint64 LeavesOutput = 2;
    double gain = 1.0;
    quint32 id = 0; // the request, and the request an answer is about

    QByteArray frame() const;

    enum class Taken { Message, Incomplete, Broken };
    // Takes the first whole message off the front of the buffer. Broken: the bytes cannot be ours,
    // and nothing after them can be trusted either.
    static Taken take(QByteArray& buffer, SoundMessage& message);
    // Hands each whole message to handle, in order, while it returns true. False: the stream is broken.
    static bool takeAll(QByteArray& buffer, const std::function<bool(const SoundMessage&)>& handle);

    // Larger than any path and reason: a length beyond it is a broken stream, not a wait for more.
    static constexpr quint32 MaxFrameBytes = 1 << 20;
};
