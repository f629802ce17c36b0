#include "services/worker_host.h"

#include <QMetaObject>
#include <QThread>
#include <memory>
#include <system_error>

namespace lomarind {

// One hand-off. The worker may give up only while `begin` is not running, so a task never writes
// into the stack of a worker that has already left.
struct WorkerHost::Call {
    enum class Phase { Pending, Running, Begun, Done, Abandoned };
    Phase phase = Phase::Pending;
};

WorkerHost::WorkerHost() = default;

WorkerHost::~WorkerHost() {
    stop_and_join();
}

bool WorkerHost::on_ui_thread() const {
    return QThread::currentThread() == ui_context_.thread();
}

bool WorkerHost::start(std::function<void()> routine) {
    if (stopping_)
        return false;
    try {
        threads_.emplace_back(std::move(routine));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool WorkerHost::call_on_ui(std::function<void(std::function<void()> done)> begin) {
    if (on_ui_thread()) {
        begin([] {});
        return true;
    }
    auto call = std::make_shared<Call>();
    auto done = [this, call] {
        {
            std::lock_guard lock(mutex_);
            call->phase = Call::Phase::Done;
        }
        wake_.notify_all();
    };
    const bool queued = QMetaObject::invokeMethod(
        &ui_context_,
        [this, call, begin = std::move(begin), done] {
            {
                std::lock_guard lock(mutex_);
                if (call->phase == Call::Phase::Abandoned)
                    return;
                call->phase = Call::Phase::Running;
            }
            begin(done);
            std::lock_guard lock(mutex_);
            if (call->phase == Call::Phase::Running)
                call->phase = Call::Phase::Begun;
            wake_.notify_all();
        },
        Qt::QueuedConnection);
    if (!queued)
        return false;
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] {
        return call->phase == Call::Phase::Done ||
               (stopping_ && call->phase != Call::Phase::Running);
    });
    if (call->phase == Call::Phase::Done)
        return true;
    call->phase = Call::Phase::Abandoned;
    return false;
}

bool WorkerHost::run_on_ui(std::function<void()> task) {
    return call_on_ui([task = std::move(task)](const std::function<void()>& done) {
        task();
        done();
    });
}

void WorkerHost::request_stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

void WorkerHost::stop_and_join() {
    request_stop();
    for (std::thread& t : threads_) {
        if (t.joinable())
            t.join();
    }
    threads_.clear();
}

} // namespace lomarind
