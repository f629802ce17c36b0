#include "services/worker_host.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using lomarind::WorkerHost;

namespace {

TEST(WorkerHost, RunsHandedOverTasksOnTheUiThreadInOrder) {
    WorkerHost host;
    std::vector<int> seen;
    std::atomic<bool> finished{false};
    QThread* ui = QThread::currentThread();
    bool all_on_ui = true;
    ASSERT_TRUE(host.start([&] {
        for (int i = 0; i < 100; ++i) {
            int value = -1;
            const bool ran = host.run_on_ui([&] {
                all_on_ui = all_on_ui && QThread::currentThread() == ui;
                seen.push_back(i);
                value = i * 2;
            });
            if (!ran || value != i * 2)
                break;
        }
        finished = true;
    }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 10'000));
    host.stop_and_join();
    ASSERT_EQ(seen.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    EXPECT_TRUE(all_on_ui);
}

TEST(WorkerHost, StopReleasesAWorkerWaitingForABusyUiThread) {
    // The UI thread never serves the worker's request: it goes straight to stopping, as at exit.
    WorkerHost host;
    std::atomic<bool> waiting{false};
    std::atomic<int> outcome{-1};
    bool task_ran = false;
    ASSERT_TRUE(host.start([&] {
        waiting = true;
        outcome = host.run_on_ui([&] { task_ran = true; }) ? 1 : 0;
    }));
    while (!waiting)
        QThread::msleep(1);
    QThread::msleep(20);
    host.stop_and_join(); // must not hang
    EXPECT_EQ(outcome.load(), 0);
    // The abandoned task is dropped, never run later.
    QCoreApplication::processEvents();
    EXPECT_FALSE(task_ran);
    EXPECT_FALSE(host.start([] {}));
}

TEST(WorkerHost, AWaitForALaterDoneEndsWhenStopping) {
    WorkerHost host;
    std::function<void()> keep_done;
    std::atomic<int> outcome{-1};
    ASSERT_TRUE(host.start([&] {
        outcome = host.call_on_ui([&](std::function<void()> done) { keep_done = done; }) ? 1 : 0;
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(keep_done); }, 10'000));
    QThread::msleep(20);
    EXPECT_EQ(outcome.load(), -1); // still waiting for done
    host.stop_and_join();
    EXPECT_EQ(outcome.load(), 0);
    keep_done(); // a late done is harmless
}

TEST(WorkerHost, OnTheUiThreadATaskRunsAtOnce) {
    WorkerHost host;
    bool ran = false;
    EXPECT_TRUE(host.run_on_ui([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

} // namespace
