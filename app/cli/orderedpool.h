// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Work handed to every processor core, its output written in the order the work came
// in. A task runs on any worker (its number lets it use that worker's own tools) and
// returns its output; the output of task n is written as soon as tasks 0..n-1 are
// written (with one worker, at once on the caller's thread). submit() waits while two tasks per worker are queued,
// so the work in flight and the memory it needs stay bounded however long the input is.
class OrderedPool {
public:
    struct Output {
        QByteArray bytes;
        qint64 rows = 0;
    };
    using Task = std::function<Output(int worker)>;
    using Sink = std::function<void(const Output&)>;

    OrderedPool(int workers, Sink sink);
    ~OrderedPool();
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    void submit(Task task);
    // Waits until every task's output is written.
    void finish();

    // 0 means one worker per processor core.
    static int WorkerCount(int requested);

private:
    void work(int worker);

    Sink m_sink;
    std::mutex m_mutex;
    std::condition_variable m_queued, m_room, m_turn;
    std::deque<std::pair<qint64, Task>> m_queue;
    qint64 m_submitted = 0;
    qint64 m_nextToWrite = 0;
    bool m_closing = false;
    size_t m_maxQueued;
    std::vector<std::thread> m_workers;
};
