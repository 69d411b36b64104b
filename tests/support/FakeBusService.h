#pragma once
// A message bus of the test's own (a dbus-daemon on a private socket, never the machine's session
// or system bus) and a small service on it: objects with read-only properties and methods,
// answered on a thread of the service's own as a separate program would.

#include <gio/gio.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/DBusConnection.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace flint::testing {

class PrivateBus {
public:
    PrivateBus() {
        if (!m_folder) return;
        std::ofstream(m_dir / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:dir="
            << m_dir.string()
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
               "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string config = "--config-file=" + (m_dir / "bus.conf").string();
        std::string print = "--print-address=" + std::to_string(fds[1]);
        const char* argv[] = {"dbus-daemon", config.c_str(), "--nofork", print.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        // Its complaints as root (it cannot raise its descriptor limit) are not the test's.
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            m_pid = 0;
            close(fds[0]);
            return;
        }
        std::string line;
        char c = 0;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') line += c;
        close(fds[0]);
        m_address = line;
    }
    ~PrivateBus() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon could not be started (is Debian's dbus package installed?).
    const std::string& address() const { return m_address; }

private:
    ios::testing::TempFolder m_folder{"flint-bus"};  // removed after the daemon has stopped
    const std::filesystem::path m_dir = m_folder.path();
    pid_t m_pid = 0;
    std::string m_address;
};

class FakeBusService {
public:
    struct Object {
        std::string path;
        std::string interface;
        std::map<std::string, GVariant*> properties;  // name -> value (floating references are sunk)
        std::map<std::string, std::pair<std::string, std::string>> methods;  // name -> (argument, answer) types
    };
    // Answers a method on the service's thread: the reply tuple, or null for an error reply.
    using MethodHandler =
        std::function<GVariant*(const std::string& path, const std::string& method, GVariant* arguments)>;

    FakeBusService(std::string address, std::string busName, std::vector<Object> objects, MethodHandler handler)
        : m_address(std::move(address)), m_busName(std::move(busName)), m_handler(std::move(handler)) {
        for (Object& object : objects) {
            for (auto& [name, value] : object.properties) value = g_variant_ref_sink(value);
            m_objects.push_back(std::move(object));
        }
        m_thread = std::thread([this] { serve(); });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_started; });
    }
    ~FakeBusService() {
        quit();
        for (Object& object : m_objects)
            for (auto& [name, value] : object.properties) g_variant_unref(value);
    }
    FakeBusService(const FakeBusService&) = delete;
    FakeBusService& operator=(const FakeBusService&) = delete;

    // True when it owns its name on the bus.
    bool running() const { return m_running; }
    // Leaves the bus: its name goes away as when a program quits.
    void quit() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            if (m_loop) g_main_loop_quit(m_loop);
        }
        m_thread.join();
    }

    // Replaces a property's value (of the same type); `announce` sends PropertiesChanged with it.
    void setProperty(const std::string& path, const std::string& interface, const std::string& name, GVariant* value,
                     bool announce = true) {
        value = g_variant_ref_sink(value);
        {
            std::lock_guard lock(m_mutex);
            for (Object& object : m_objects) {
                if (object.path != path || object.interface != interface) continue;
                auto& slot = object.properties[name];
                if (slot) g_variant_unref(slot);
                slot = g_variant_ref(value);
            }
        }
        if (announce) {
            GVariantBuilder changed;
            g_variant_builder_init(&changed, G_VARIANT_TYPE_VARDICT);
            g_variant_builder_add(&changed, "{sv}", name.c_str(), value);
            emitPropertiesChanged(path, interface, g_variant_builder_end(&changed));
        }
        g_variant_unref(value);
    }
    // Sends PropertiesChanged with any dictionary of changes, whatever the declared types.
    void emitPropertiesChanged(const std::string& path, const std::string& interface, GVariant* changed) {
        GVariant* parameters =
            g_variant_new("(s@a{sv}@as)", interface.c_str(), changed, g_variant_new_strv(nullptr, 0));
        std::lock_guard lock(m_mutex);
        if (m_connection)
            g_dbus_connection_emit_signal(m_connection->get(), nullptr, path.c_str(), "org.freedesktop.DBus.Properties",
                                          "PropertiesChanged", parameters, nullptr);
        else
            g_variant_unref(g_variant_ref_sink(parameters));
    }

private:
    static std::string introspection(const Object& object) {
        std::string xml = "<node><interface name='" + object.interface + "'>";
        for (const auto& [name, types] : object.methods) {
            xml += "<method name='" + name + "'>";
            if (!types.first.empty()) xml += "<arg type='" + types.first + "' direction='in'/>";
            if (!types.second.empty()) xml += "<arg type='" + types.second + "' direction='out'/>";
            xml += "</method>";
        }
        for (const auto& [name, value] : object.properties)
            xml += "<property name='" + name + "' type='" + g_variant_get_type_string(value) + "' access='read'/>";
        return xml + "</interface></node>";
    }

    static void onMethod(GDBusConnection*, const gchar*, const gchar* path, const gchar*, const gchar* method,
                         GVariant* arguments, GDBusMethodInvocation* invocation, gpointer self) {
        auto& service = *static_cast<FakeBusService*>(self);
        GVariant* reply = service.m_handler ? service.m_handler(path, method, arguments) : nullptr;
        if (reply)
            g_dbus_method_invocation_return_value(invocation, reply);
        else
            g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed", "refused");
    }
    static GVariant* onGetProperty(GDBusConnection*, const gchar*, const gchar* path, const gchar* interface,
                                   const gchar* name, GError** error, gpointer self) {
        auto& service = *static_cast<FakeBusService*>(self);
        std::lock_guard lock(service.m_mutex);
        for (const Object& object : service.m_objects) {
            if (object.path != path || object.interface != interface) continue;
            auto found = object.properties.find(name);
            if (found != object.properties.end()) return g_variant_ref(found->second);
        }
        g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no such property");
        return nullptr;
    }

    void serve() {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        std::string error;
        auto connection = ios::DBusConnection::open(ios::DBusConnection::Bus::Session, m_address, error);
        std::vector<guint> registrations;
        static const GDBusInterfaceVTable vtable{
            &FakeBusService::onMethod, &FakeBusService::onGetProperty, nullptr, {}};
        if (connection) {
            for (const Object& object : m_objects) {
                GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(introspection(object).c_str(), nullptr);
                if (!node) continue;
                registrations.push_back(g_dbus_connection_register_object(
                    connection->get(), object.path.c_str(), node->interfaces[0], &vtable, this, nullptr, nullptr));
                g_dbus_node_info_unref(node);
            }
            auto reply =
                connection->call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                                 g_variant_new("(su)", m_busName.c_str(), 4u), "(u)", 5000, error);
            guint32 result = 0;
            if (reply) g_variant_get(reply.get(), "(u)", &result);
            m_running = result == 1;  // the primary owner
        }
        GMainLoop* loop = g_main_loop_new(context, FALSE);
        {
            std::lock_guard lock(m_mutex);
            m_connection = std::move(connection);
            m_loop = loop;
            m_started = true;
        }
        m_changed.notify_all();
        g_main_loop_run(loop);
        std::unique_ptr<ios::DBusConnection> closing;
        {
            std::lock_guard lock(m_mutex);
            closing = std::move(m_connection);
            m_loop = nullptr;
        }
        if (closing)
            for (guint id : registrations) g_dbus_connection_unregister_object(closing->get(), id);
        closing.reset();
        while (g_main_context_iteration(context, FALSE)) {}
        g_main_loop_unref(loop);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    std::string m_address;
    std::string m_busName;
    MethodHandler m_handler;
    std::vector<Object> m_objects;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_running = false;
    GMainLoop* m_loop = nullptr;
    std::unique_ptr<ios::DBusConnection> m_connection;
};

}  // namespace flint::testing
