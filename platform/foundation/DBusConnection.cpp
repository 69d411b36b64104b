#include "platform/foundation/DBusConnection.h"

namespace ios {

std::string takeErrorMessage(GError* error) {
    if (!error) return "unknown error";
    std::string message = error->message ? error->message : "unknown error";
    g_error_free(error);
    return message;
}

std::unique_ptr<DBusConnection> DBusConnection::open(Bus bus, const std::string& address, std::string& error) {
    GError* failure = nullptr;
    std::string where = address;
    if (where.empty()) {
        gchar* found = g_dbus_address_get_for_bus_sync(bus == Bus::Session ? G_BUS_TYPE_SESSION : G_BUS_TYPE_SYSTEM,
                                                       nullptr, &failure);
        if (!found) {
            error = takeErrorMessage(failure);
            return nullptr;
        }
        where = found;
        g_free(found);
    }
    auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* connection =
        g_dbus_connection_new_for_address_sync(where.c_str(), flags, nullptr, nullptr, &failure);
    if (!connection) {
        error = takeErrorMessage(failure);
        return nullptr;
    }
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    return std::unique_ptr<DBusConnection>(new DBusConnection(connection));
}

DBusConnection::~DBusConnection() {
    g_dbus_connection_close_sync(m_connection, nullptr, nullptr);
    g_object_unref(m_connection);
}

std::string DBusConnection::uniqueName() const {
    const gchar* name = g_dbus_connection_get_unique_name(m_connection);
    return name ? name : "";
}

VariantPtr DBusConnection::call(const char* destination, const char* path, const char* interface, const char* method,
                                GVariant* parameters, const char* replyType, int timeoutMs, std::string& error) const {
    GError* failure = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(m_connection, destination, path, interface, method, parameters,
                                                  replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr, &failure);
    if (!reply) {
        error = takeErrorMessage(failure);
        return nullptr;
    }
    return VariantPtr(reply);
}

VariantPtr DBusConnection::property(const char* destination, const char* path, const char* interface, const char* name,
                                    int timeoutMs, std::string& error) const {
    VariantPtr reply = call(destination, path, "org.freedesktop.DBus.Properties", "Get",
                            g_variant_new("(ss)", interface, name), "(v)", timeoutMs, error);
    if (!reply) return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply.get(), "(v)", &value);
    return VariantPtr(value);
}

void DBusConnection::send(const char* destination, const char* path, const char* interface, const char* method) const {
    g_dbus_connection_call(m_connection, destination, path, interface, method, nullptr, nullptr,
                           G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
}

}  // namespace ios
