#pragma once

#include <functional>
#include <memory>

// A thread that runs posted tasks one after another, in order. Everything that may wait on a sound
// server or a disk goes here, so the window never waits on a sound. Its state outlives the object
// when the thread is stuck at exit: the thread is then left behind rather than waited for.
class TaskThread {
public:
    TaskThread();
    ~TaskThread();

    void post(std::function<void()> task);
    // Runs `last` after every task posted so far, then ends the thread; waits at most `seconds`.
    // Returns false when the thread did not end in time and was left behind.
    bool finish(std::function<void()> last, int seconds);

    struct State;

private:
    std::shared_ptr<State> m_state;
};
