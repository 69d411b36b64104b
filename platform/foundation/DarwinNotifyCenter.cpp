#include "platform/foundation/DarwinNotifyCenter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"

namespace ios {

DarwinNotifyCenter::~DarwinNotifyCenter() {
    if (m_delivery) m_loop.cancel(m_delivery);
}

void DarwinNotifyCenter::addObserver(void* observer, CFNotificationCallback callback, const std::string& name) {
    if (!callback) return;
    m_entries.push_back(std::make_shared<Entry>(Entry{observer, callback, name}));
}

void DarwinNotifyCenter::removeObserver(void* observer, const std::string& name) {
    for (auto& e : m_entries)
        if (e->observer == observer && e->name == name) e->removed = true;
    std::erase_if(m_entries, [](const auto& e) { return e->removed; });
}

void DarwinNotifyCenter::removeEveryObserver(void* observer) {
    for (auto& e : m_entries)
        if (e->observer == observer) e->removed = true;
    std::erase_if(m_entries, [](const auto& e) { return e->removed; });
}

void DarwinNotifyCenter::post(const std::string& name) {
    postLocally(name);
    Process* process = Process::current();
    if (!process || name.empty() || name.find('\n') != std::string::npos) return;
    std::error_code ec;
    if (!std::filesystem::is_directory(devicePath(kNotifySpoolFolder), ec)) return;
    // One short write with O_APPEND: lines of several writers never interleave.
    std::string line = std::to_string(getpid()) + " " + name + "\n";
    int fd = open(devicePath(kNotifySpoolFile).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        NSLogLine("DarwinNotifyCenter: cannot append " + name + " to the spool");
    close(fd);
}

void DarwinNotifyCenter::postLocally(const std::string& name) {
    if (m_pending.insert(name).second) m_pendingOrder.push_back(name);
    if (!m_delivery) m_delivery = m_loop.post([this] { deliver(); });
}

void DarwinNotifyCenter::deliver() {
    m_delivery = 0;
    auto names = std::move(m_pendingOrder);
    m_pendingOrder.clear();
    m_pending.clear();
    for (const auto& name : names) {
        auto snapshot = m_entries;
        for (const auto& entry : snapshot)
            if (!entry->removed && entry->name == name) entry->callback(this, entry->observer, name, nullptr, nullptr);
    }
}

std::size_t DarwinNotifyCenter::observerCount(const std::string& name) const {
    return static_cast<std::size_t>(std::count_if(m_entries.begin(), m_entries.end(),
                                                  [&](const auto& e) { return !e->removed && e->name == name; }));
}

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() { return &Process::shared().darwinNotifyCenter(); }

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, const std::string& name, const void*,
                                     CFNotificationSuspensionBehavior) {
    if (center) center->addObserver(const_cast<void*>(observer), callback, name);
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, const std::string& name,
                                        const void*) {
    if (center) center->removeObserver(const_cast<void*>(observer), name);
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    if (center) center->removeEveryObserver(const_cast<void*>(observer));
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name, const void*,
                                          const Value*, bool) {
    if (center) center->post(name);
}

}  // namespace ios
