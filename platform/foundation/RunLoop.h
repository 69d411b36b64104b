#pragma once
// The main run loop and its virtual media clock. Work is scheduled at clock times and runs in
// order of time, then of scheduling; the clock only moves when someone advances it (tests
// explicitly, the live simulator from the wall clock).

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace ios {

class RunLoop {
public:
    using Task = std::function<void()>;
    using Token = std::uint64_t;

    double now() const { return m_now; }

    // Schedules a task to run once the clock has reached `time` (a past time means the next
    // turn). The token cancels it.
    Token scheduleAt(double time, Task task);
    Token scheduleAfter(double delay, Task task) {
        return scheduleAt(m_now + (delay > 0 ? delay : 0), std::move(task));
    }
    // Runs the task at the next turn of the loop (the main queue).
    Token post(Task task) { return scheduleAt(m_now, std::move(task)); }
    bool cancel(Token token);
    bool isScheduled(Token token) const;

    // Runs every task due now, including those that due tasks schedule for now. Returns the
    // number of tasks run. A loop that keeps rescheduling itself at the same instant stops after
    // `limit` tasks.
    int runUntilIdle(int limit = 100000);
    // Moves the clock forward, running each task at its own time, in order.
    void advanceBy(double seconds);
    void advanceTo(double time);
    // Runs the due tasks, then advances to the next scheduled time, and so on, until nothing is
    // scheduled before `time` horizon; handy for "let everything settle".
    void runUntil(double time) { advanceTo(time); }

    std::size_t pendingCount() const { return m_queue.size(); }
    // The time of the earliest scheduled task, or a negative number when there is none.
    double nextFireTime() const;
    void clear() { m_queue.clear(); }

private:
    struct Key {
        double time;
        Token sequence;
        bool operator<(const Key& o) const { return time < o.time || (time == o.time && sequence < o.sequence); }
    };
    bool runNextDue(double horizon);

    double m_now = 0;
    Token m_nextToken = 1;
    std::map<Key, Task> m_queue;
    std::map<Token, Key> m_keys;
};

}  // namespace ios
