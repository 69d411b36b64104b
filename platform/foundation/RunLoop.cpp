#include "platform/foundation/RunLoop.h"

namespace ios {

RunLoop::Token RunLoop::scheduleAt(double time, Task task) {
    if (time < m_now) time = m_now;
    Token token = m_nextToken++;
    Key key{time, token};
    m_queue.emplace(key, std::move(task));
    m_keys.emplace(token, key);
    return token;
}

bool RunLoop::cancel(Token token) {
    auto it = m_keys.find(token);
    if (it == m_keys.end()) return false;
    m_queue.erase(it->second);
    m_keys.erase(it);
    return true;
}

bool RunLoop::isScheduled(Token token) const { return m_keys.count(token) != 0; }

double RunLoop::nextFireTime() const { return m_queue.empty() ? -1 : m_queue.begin()->first.time; }

bool RunLoop::runNextDue(double horizon) {
    if (m_queue.empty()) return false;
    auto it = m_queue.begin();
    if (it->first.time > horizon) return false;
    if (it->first.time > m_now) m_now = it->first.time;
    Task task = std::move(it->second);
    m_keys.erase(it->first.sequence);
    m_queue.erase(it);
    task();
    return true;
}

int RunLoop::runUntilIdle(int limit) {
    int count = 0;
    while (count < limit && runNextDue(m_now)) ++count;
    return count;
}

void RunLoop::advanceTo(double time) {
    while (runNextDue(time)) {}
    if (time > m_now) m_now = time;
}

void RunLoop::advanceBy(double seconds) { advanceTo(m_now + (seconds > 0 ? seconds : 0)); }

}  // namespace ios
