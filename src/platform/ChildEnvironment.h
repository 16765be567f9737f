#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// The environment of a program started from here. This process's own environment changes only
// while it has a single thread: where Qt or a library it loads at start-up must read a value of
// ours, the value is set for this process then and never put back, and the children get what the
// user gave instead. A thread's getenv may read environ while another sets a variable, and adding
// one may move the array it reads.
class ChildEnvironment {
public:
    // Only while this is the only thread: name reads value in this process from now on; the programs
    // it starts get what it was before.
    static void setForThisProcess(const char* name, const QByteArray& value);
    // This process's environment with those values as they were, and without a desktop's activation
    // token, which was given for one window of this program.
    static QProcessEnvironment forChildren();
};
