#pragma once
// A private connection to a D-Bus message bus (GLib's GDBus underneath) and the few synchronous
// calls the host back ends make over it. Private: closing it affects no one else, and nothing of
// it outlives the object. Every call is bounded by its timeout; a failure comes back as none with
// the reason in `error`, never as an exception.

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

namespace ios {

struct GVariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using VariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

class DBusConnection {
public:
    enum class Bus { Session, System };

    // Connects to the bus at `address`, or to the standard bus of that kind when the address is
    // empty. Null with the reason when there is no bus to reach.
    static std::unique_ptr<DBusConnection> open(Bus bus, const std::string& address, std::string& error);
    ~DBusConnection();
    DBusConnection(const DBusConnection&) = delete;
    DBusConnection& operator=(const DBusConnection&) = delete;

    GDBusConnection* get() const { return m_connection; }
    // This connection's unique name on the bus.
    std::string uniqueName() const;

    // Calls a method and waits at most `timeoutMs` for the answer, which must have `replyType`
    // (a tuple). Services are never started by the call.
    VariantPtr call(const char* destination, const char* path, const char* interface, const char* method,
                    GVariant* parameters, const char* replyType, int timeoutMs, std::string& error) const;
    // One property's value (the variant's content).
    VariantPtr property(const char* destination, const char* path, const char* interface, const char* name,
                        int timeoutMs, std::string& error) const;
    // Calls a method without waiting for or wanting an answer.
    void send(const char* destination, const char* path, const char* interface, const char* method) const;

private:
    explicit DBusConnection(GDBusConnection* connection) : m_connection(connection) {}
    GDBusConnection* m_connection;
};

// The error's message, and frees it.
std::string takeErrorMessage(GError* error);

}  // namespace ios
