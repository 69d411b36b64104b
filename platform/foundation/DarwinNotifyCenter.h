#pragma once
// The system-wide (Darwin) notification centre: names only, delivered at a later turn of the
// run loop. Posting the same name several times before delivery delivers it once (coalescing).

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

namespace ios {

class DarwinNotifyCenter;
using CFNotificationCenterRef = DarwinNotifyCenter*;
using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, const std::string& name,
                                        const void* object, const Value* userInfo);

// Names cross processes of one device root through a spool: while the root has the spool folder
// (a serving simulator makes it), every post also appends the line "PID NAME" to the spool file,
// and the serving process posts the lines of other processes into its own centre.
inline constexpr const char* kNotifySpoolFolder = "/var/run/notifyd";
inline constexpr const char* kNotifySpoolFile = "/var/run/notifyd/spool";

enum class CFNotificationSuspensionBehavior { Drop = 1, Coalesce = 2, Hold = 3, DeliverImmediately = 4 };

class DarwinNotifyCenter {
public:
    explicit DarwinNotifyCenter(RunLoop& loop) : m_loop(loop) {}
    ~DarwinNotifyCenter();

    void addObserver(void* observer, CFNotificationCallback callback, const std::string& name);
    void removeObserver(void* observer, const std::string& name);
    void removeEveryObserver(void* observer);
    void post(const std::string& name);
    // Posts in this process only (a name that came through the spool).
    void postLocally(const std::string& name);

    std::size_t observerCount(const std::string& name) const;
    bool isPending(const std::string& name) const { return m_pending.count(name) != 0; }

private:
    void deliver();
    struct Entry {
        void* observer;
        CFNotificationCallback callback;
        std::string name;
        bool removed = false;
    };
    RunLoop& m_loop;
    std::vector<std::shared_ptr<Entry>> m_entries;
    std::vector<std::string> m_pendingOrder;
    std::set<std::string> m_pending;
    RunLoop::Token m_delivery = 0;
};

// The platform's C interface over the current process's centre.
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, const std::string& name, const void* object,
                                     CFNotificationSuspensionBehavior behavior);
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, const std::string& name,
                                        const void* object);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, const std::string& name, const void* object,
                                          const Value* userInfo, bool deliverImmediately);

}  // namespace ios
