#pragma once
// The system log: NSLog lines, kept in order so tests and the simulator can read them.

#include <string>
#include <vector>

#include "platform/foundation/Format.h"

namespace ios {

class SystemLog {
public:
    explicit SystemLog(bool mirrorToStderr = false) : m_mirror(mirrorToStderr) {}
    void write(std::string line);
    const std::vector<std::string>& lines() const { return m_lines; }
    bool contains(const std::string& line) const;
    void clear() { m_lines.clear(); }
    void setMirrorToStderr(bool mirror) { m_mirror = mirror; }

private:
    std::vector<std::string> m_lines;
    bool m_mirror;
};

// Writes one formatted line to the current process's log (stderr when there is no process).
void NSLogLine(std::string line);
template <class... Args>
void NSLog(std::string_view fmt, const Args&... args) {
    NSLogLine(format(fmt, args...));
}

}  // namespace ios
