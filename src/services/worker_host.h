#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace lomarind {

// Runs worker threads and hands their work to the UI thread. A worker that waits for the UI
// thread gives up once stopping has begun, so the UI thread can stop and join it at exit without
// the classic deadlock of a worker blocked in a queued call to a thread that waits for it.
// Construct on the UI thread.
class WorkerHost {
  public:
    WorkerHost();
    ~WorkerHost();
    WorkerHost(const WorkerHost&) = delete;
    WorkerHost& operator=(const WorkerHost&) = delete;

    bool start(std::function<void()> routine);

    // Runs `begin` on the UI thread, handing it a `done` callback that may be called then or
    // later, and waits for `done`. Returns false when the program began to end first; `begin` is
    // then never run if it had not started yet. On the UI thread itself `begin` runs at once and
    // the call does not wait.
    bool call_on_ui(std::function<void(std::function<void()> done)> begin);

    // Runs `task` on the UI thread and waits until it is done.
    bool run_on_ui(std::function<void()> task);

    bool stopping() const { return stopping_.load(); }

    // Makes every waiting worker give up; returns at once.
    void request_stop();
    // request_stop, then joins every worker. Call on the UI thread.
    void stop_and_join();

    bool on_ui_thread() const;

  private:
    struct Call;

    QObject ui_context_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::thread> threads_;
};

} // namespace lomarind
