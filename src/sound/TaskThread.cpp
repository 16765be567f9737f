#include "sound/TaskThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct TaskThread::State {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::deque<std::function<void()>> tasks;
    std::function<void()> last;
    bool quit = false;
    bool finished = false;

    void run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return quit || !tasks.empty(); });
                if (tasks.empty())
                    break;
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            task();
        }
        // Run and dropped here: what it holds must not be kept alive by this state.
        if (std::function<void()> final = std::move(last))
            final();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        finishedChanged.notify_all();
    }
};

TaskThread::TaskThread() : m_state(std::make_shared<State>())
{
    m_state->thread = std::thread([s = m_state] { s->run(); });
}

TaskThread::~TaskThread()
{
    if (m_state->thread.joinable())
        finish({}, 2);
}

void TaskThread::post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->tasks.push_back(std::move(task));
    }
    m_state->wake.notify_one();
}

bool TaskThread::finish(std::function<void()> last, int seconds)
{
    const std::shared_ptr<State> s = m_state;
    {
        std::lock_guard lock(s->mutex);
        s->last = std::move(last);
        s->quit = true;
    }
    s->wake.notify_one();
    std::unique_lock lock(s->mutex);
    if (s->finishedChanged.wait_for(lock, std::chrono::seconds(seconds), [&] { return s->finished; })) {
        lock.unlock();
        s->thread.join();
        return true;
    }
    lock.unlock();
    s->thread.detach();
    return false;
}
