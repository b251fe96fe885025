// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/orderedpool.h"

#include <algorithm>

OrderedPool::OrderedPool(int workers, Sink sink)
    : m_sink(std::move(sink)),
      m_maxQueued(size_t(2 * std::max(workers, 1)))
{
    // One worker runs each task on the caller's thread as it is submitted: a thread of
    // its own would only add a hand-over per task.
    if (workers > 1)
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this, i] { work(i); });
}

OrderedPool::~OrderedPool() { finish(); }

int OrderedPool::WorkerCount(int requested)
{
    return requested > 0 ? requested : int(std::max(1u, std::thread::hardware_concurrency()));
}

void OrderedPool::submit(Task task)
{
    if (m_workers.empty()) {
        m_sink(task(0));
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_queue.size() < m_maxQueued; });
    m_queue.emplace_back(m_submitted++, std::move(task));
    m_queued.notify_one();
}

void OrderedPool::finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
    }
    m_queued.notify_all();
    for (std::thread& t : m_workers)
        if (t.joinable())
            t.join();
}

void OrderedPool::work(int worker)
{
    for (;;) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_queued.wait(lock, [this] { return m_closing || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        auto [index, task] = std::move(m_queue.front());
        m_queue.pop_front();
        m_room.notify_one();
        lock.unlock();

        const Output output = task(worker);

        // Only the task whose turn it is writes, so the sink needs no lock of its own.
        lock.lock();
        m_turn.wait(lock, [this, index = index] { return m_nextToWrite == index; });
        lock.unlock();
        m_sink(output);
        lock.lock();
        ++m_nextToWrite;
        m_turn.notify_all();
    }
}
