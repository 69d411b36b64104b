#include "platform/services/MPRISPlayers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/foundation/Process.h"
#include "platform/foundation/SystemLog.h"
#include "platform/graphics/ImageDecoder.h"
#include "platform/services/MediaRemote.h"

namespace ios {

namespace {

constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr const char* kPlayerPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kPlayerPath = "/org/mpris/MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

bool isPlayerName(const std::string& name) {
    return name.size() > std::char_traits<char>::length(kPlayerPrefix) && name.rfind(kPlayerPrefix, 0) == 0;
}

// At most kMaxTextBytes, never ending inside a UTF-8 sequence (bus strings are valid UTF-8).
std::string clipped(std::string text) {
    if (text.size() <= MPRISPlayers::kMaxTextBytes) return text;
    std::size_t end = MPRISPlayers::kMaxTextBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

// A text entry of a dictionary variant; none when missing or not a string.
std::optional<std::string> textEntry(GVariant* dictionary, const char* key) {
    GVariant* value = g_variant_lookup_value(dictionary, key, G_VARIANT_TYPE_STRING);
    if (!value) return std::nullopt;
    std::string text = g_variant_get_string(value, nullptr);
    g_variant_unref(value);
    return text;
}

// xesam:artist is a list of names; a single string is taken too.
std::string artistOf(GVariant* metadata) {
    if (auto single = textEntry(metadata, "xesam:artist")) return *single;
    GVariant* list = g_variant_lookup_value(metadata, "xesam:artist", G_VARIANT_TYPE_STRING_ARRAY);
    if (!list) return "";
    std::string joined;
    gsize count = 0;
    const gchar** names = g_variant_get_strv(list, &count);
    for (gsize i = 0; i < count; ++i) {
        if (!names[i][0]) continue;
        if (!joined.empty()) joined += ", ";
        joined += names[i];
        if (joined.size() > MPRISPlayers::kMaxTextBytes) break;
    }
    g_free(names);
    g_variant_unref(list);
    return joined;
}

}  // namespace

MPRISPlayers::MPRISPlayers(const std::string& busAddress, ChangeHandler onChange)
    : m_onChange(std::move(onChange)), m_context(g_main_context_new()) {
    std::string error;
    m_connection = DBusConnection::open(DBusConnection::Bus::Session, busAddress, error);
    if (!m_connection) {
        logNothingPlayingOnce("no session bus (" + error + ")");
        return;
    }
    // Signals are dispatched to the context that is the thread's default when subscribing.
    g_main_context_push_thread_default(m_context);
    m_ownerSubscription = g_dbus_connection_signal_subscribe(
        m_connection->get(), kBusName, kBusName, "NameOwnerChanged", kBusPath, "org.mpris.MediaPlayer2",
        G_DBUS_SIGNAL_FLAGS_MATCH_ARG0_NAMESPACE, &MPRISPlayers::onNameOwnerChanged, this, nullptr);
    m_propertiesSubscription = g_dbus_connection_signal_subscribe(
        m_connection->get(), nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged", kPlayerPath,
        kPlayerInterface, G_DBUS_SIGNAL_FLAGS_NONE, &MPRISPlayers::onPropertiesChanged, this, nullptr);
    g_main_context_pop_thread_default(m_context);

    VariantPtr names =
        m_connection->call(kBusName, kBusPath, kBusName, "ListNames", nullptr, "(as)", kCallTimeoutMs, error);
    if (!names) {
        logNothingPlayingOnce("the session bus does not list its names (" + error + ")");
    } else {
        GVariantIter* iter = nullptr;
        const gchar* name = nullptr;
        g_variant_get(names.get(), "(as)", &iter);
        std::vector<std::string> found;
        while (g_variant_iter_next(iter, "&s", &name))
            if (isPlayerName(name)) found.emplace_back(name);
        g_variant_iter_free(iter);
        std::sort(found.begin(), found.end());
        for (const std::string& busName : found) {
            VariantPtr owner = m_connection->call(kBusName, kBusPath, kBusName, "GetNameOwner",
                                                  g_variant_new("(s)", busName.c_str()), "(s)", kCallTimeoutMs, error);
            if (!owner) continue;  // gone in the meantime
            const gchar* unique = nullptr;
            g_variant_get(owner.get(), "(&s)", &unique);
            addPlayer(busName, unique);
        }
        if (m_players.empty()) logNothingPlayingOnce("no media player on the session bus");
    }
    schedulePoll();
}

MPRISPlayers::~MPRISPlayers() {
    if (Process* process = Process::current(); process && m_pollToken) process->runLoop().cancel(m_pollToken);
    if (m_connection) {
        g_dbus_connection_signal_unsubscribe(m_connection->get(), m_ownerSubscription);
        g_dbus_connection_signal_unsubscribe(m_connection->get(), m_propertiesSubscription);
        // Signals already queued are released here without reaching the callbacks.
        m_closing = true;
        poll();
        m_connection.reset();
    }
    poll();
    g_main_context_unref(m_context);
}

void MPRISPlayers::schedulePoll() {
    m_pollToken = Process::shared().runLoop().scheduleAfter(kPollInterval, [this] {
        m_pollToken = 0;
        poll();
        schedulePoll();
    });
}

void MPRISPlayers::poll() {
    while (g_main_context_iteration(m_context, FALSE)) {}
}

void MPRISPlayers::logNothingPlayingOnce(const std::string& why) {
    if (m_loggedNothingPlaying) return;
    m_loggedNothingPlaying = true;
    NSLogLine("MediaRemote: " + why + "; nothing is playing");
}

const MPRISPlayers::Player* MPRISPlayers::current() const {
    const Player* best = nullptr;
    for (const Player& player : m_players) {
        if (!best || std::pair(player.playing(), player.lastActive) > std::pair(best->playing(), best->lastActive))
            best = &player;
    }
    return best;
}

bool MPRISPlayers::isPlaying() const {
    const Player* player = current();
    return player && player->playing();
}

Dictionary MPRISPlayers::nowPlayingInformation() const {
    const Player* player = current();
    if (!player) return {};
    Dictionary info{{kMRMediaRemoteNowPlayingInfoPlaybackRate, player->playing() ? 1.0 : 0.0}};
    if (!player->title.empty()) info[kMRMediaRemoteNowPlayingInfoTitle] = player->title;
    if (!player->artist.empty()) info[kMRMediaRemoteNowPlayingInfoArtist] = player->artist;
    if (player->artwork) info[kMRMediaRemoteNowPlayingInfoArtworkData] = *player->artwork;
    return info;
}

bool MPRISPlayers::send(unsigned command) {
    const Player* player = current();
    if (!player || !m_connection) return false;
    const char* method = command == kMRTogglePlayPause ? "PlayPause"
                         : command == kMRNextTrack     ? "Next"
                         : command == kMRPreviousTrack ? "Previous"
                                                       : nullptr;
    if (!method) return false;
    m_connection->send(player->busName.c_str(), kPlayerPath, kPlayerInterface, method);
    return true;
}

MPRISPlayers::Snapshot MPRISPlayers::snapshot() const {
    const Player* player = current();
    if (!player) return {};
    return {player->busName, player->title, player->artist, player->artUrl, player->playing()};
}

void MPRISPlayers::announceChangesSince(const Snapshot& before) {
    Snapshot after = snapshot();
    bool information = after.busName != before.busName || after.title != before.title ||
                       after.artist != before.artist || after.artUrl != before.artUrl;
    bool playing = after.busName != before.busName || after.playing != before.playing;
    if ((information || playing) && m_onChange) m_onChange(information, playing);
}

void MPRISPlayers::addPlayer(const std::string& busName, const std::string& owner) {
    removePlayer(busName);
    Player player;
    player.busName = busName;
    player.owner = owner;
    player.lastActive = ++m_activity;
    std::string error;
    VariantPtr all = m_connection->call(busName.c_str(), kPlayerPath, "org.freedesktop.DBus.Properties", "GetAll",
                                        g_variant_new("(s)", kPlayerInterface), "(a{sv})", kCallTimeoutMs, error);
    if (all) {
        GVariant* properties = g_variant_get_child_value(all.get(), 0);
        applyProperties(player, properties);
        g_variant_unref(properties);
    } else {
        NSLogLine("MediaRemote: " + busName + " does not answer (" + error + "); taken as stopped with nothing loaded");
    }
    m_players.push_back(std::move(player));
}

void MPRISPlayers::removePlayer(const std::string& busName) {
    std::erase_if(m_players, [&](const Player& p) { return p.busName == busName; });
}

void MPRISPlayers::applyProperties(Player& player, GVariant* properties) {
    if (auto status = textEntry(properties, "PlaybackStatus")) {
        // Starting and stopping both count: a player just paused stays the one shown.
        if ((*status == "Playing") != player.playing()) player.lastActive = ++m_activity;
        player.status = *status;
    }
    // Metadata of the wrong type counts as none.
    if (GVariant* value = g_variant_lookup_value(properties, "Metadata", nullptr)) {
        GVariant* metadata = g_variant_is_of_type(value, G_VARIANT_TYPE_VARDICT) ? value : nullptr;
        std::string title = metadata ? clipped(textEntry(metadata, "xesam:title").value_or("")) : "";
        std::string artist = metadata ? clipped(artistOf(metadata)) : "";
        std::string artUrl = metadata ? textEntry(metadata, "mpris:artUrl").value_or("") : "";
        if (title != player.title || artist != player.artist) player.lastActive = ++m_activity;
        player.title = std::move(title);
        player.artist = std::move(artist);
        if (artUrl != player.artUrl) {
            player.artUrl = std::move(artUrl);
            loadArtwork(player);
        }
        g_variant_unref(value);
    }
}

void MPRISPlayers::loadArtwork(Player& player) {
    player.artwork.reset();
    const std::string& url = player.artUrl;
    if (url.empty()) return;
    if (url.rfind("file://", 0) != 0) return;  // only local files; other schemes are not fetched
    GError* failure = nullptr;
    gchar* path = g_filename_from_uri(url.c_str(), nullptr, &failure);
    if (!path) {
        NSLogLine("MediaRemote: artwork " + url + " is not a file address (" + takeErrorMessage(failure) + ")");
        return;
    }
    std::filesystem::path file = path;
    g_free(path);
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxArtworkBytes) {
        NSLogLine("MediaRemote: artwork " + file.string() + (ec ? " cannot be read" : " is too large") +
                  "; the track has none");
        return;
    }
    std::ifstream in(file, std::ios::binary);
    Data bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ImageDecoder::Result decoded = ImageDecoder::decode(bytes.data(), bytes.size());
    if (!decoded.surface) {
        NSLogLine("MediaRemote: artwork " + file.string() + " is not an image the device shows (" + decoded.error +
                  "); the track has none");
        return;
    }
    cairo_surface_destroy(decoded.surface);
    player.artwork = std::move(bytes);
}

void MPRISPlayers::onNameOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                      GVariant* parameters, gpointer self) {
    auto& players = *static_cast<MPRISPlayers*>(self);
    if (players.m_closing || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sss)"))) return;
    const gchar *name = nullptr, *previousOwner = nullptr, *newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, &previousOwner, &newOwner);
    if (!isPlayerName(name)) return;
    Snapshot before = players.snapshot();
    if (*newOwner)
        players.addPlayer(name, newOwner);
    else
        players.removePlayer(name);
    if (players.m_players.empty()) players.logNothingPlayingOnce("no media player on the session bus");
    players.announceChangesSince(before);
}

void MPRISPlayers::onPropertiesChanged(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar*,
                                       GVariant* parameters, gpointer self) {
    auto& players = *static_cast<MPRISPlayers*>(self);
    if (players.m_closing || !sender || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)"))) return;
    Snapshot before = players.snapshot();
    GVariant* changed = g_variant_get_child_value(parameters, 1);
    GVariant* invalidated = g_variant_get_child_value(parameters, 2);
    for (Player& player : players.m_players) {
        if (player.owner != sender) continue;
        players.applyProperties(player, changed);
        // Properties announced without their value are read again.
        gsize count = 0;
        const gchar** names = g_variant_get_strv(invalidated, &count);
        for (gsize i = 0; i < count; ++i) {
            std::string property = names[i];
            if (property != "Metadata" && property != "PlaybackStatus") continue;
            std::string error;
            VariantPtr value = players.m_connection->property(player.busName.c_str(), kPlayerPath, kPlayerInterface,
                                                              property.c_str(), kCallTimeoutMs, error);
            if (!value) continue;
            GVariantBuilder builder;
            g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
            g_variant_builder_add(&builder, "{sv}", property.c_str(), value.get());
            GVariant* single = g_variant_ref_sink(g_variant_builder_end(&builder));
            players.applyProperties(player, single);
            g_variant_unref(single);
        }
        g_free(names);
    }
    g_variant_unref(changed);
    g_variant_unref(invalidated);
    players.announceChangesSince(before);
}

}  // namespace ios
