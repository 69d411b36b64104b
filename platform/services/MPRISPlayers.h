#pragma once
// The media players of this machine's session bus (the MPRIS interfaces every desktop player
// speaks), as the now-playing service's host back end sees them: which player is current, what it
// plays, and the transport commands sent to it.
//
// Threading: nothing here runs off the run loop's thread. The bus's signals (a player's
// properties changing, players appearing or leaving) are dispatched to a GLib main context of
// this object's own, and the run loop drains that context every kPollInterval of its clock, so
// every callback, every change of the table below and every change notification happens on the
// run loop's thread, between two of its tasks. Queries on a new player are synchronous calls
// bounded by kCallTimeoutMs; commands are sent without waiting for an answer.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/DBusConnection.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

namespace ios {

class MPRISPlayers {
public:
    static constexpr double kPollInterval = 0.25;
    static constexpr int kCallTimeoutMs = 1000;
    // Longer titles and artist names are cut (at a character boundary).
    static constexpr std::size_t kMaxTextBytes = 1024;
    // Artwork files larger than this are not read.
    static constexpr std::uintmax_t kMaxArtworkBytes = 32u << 20;

    struct Player {
        std::string busName;  // org.mpris.MediaPlayer2.<name>
        std::string owner;    // the unique name of its connection
        std::string status;   // PlaybackStatus: "Playing", "Paused" or "Stopped"
        std::string title;
        std::string artist;
        std::string artUrl;
        std::optional<Data> artwork;   // the artUrl's image, when it is a readable local image
        std::uint64_t lastActive = 0;  // when it appeared, started or stopped playing, or changed track
        bool playing() const { return status == "Playing"; }
    };
    // Which of the two change notifications a change calls for.
    using ChangeHandler = std::function<void(bool information, bool playing)>;

    // Connects to the bus at `busAddress` (empty: the session bus), reads the players there and
    // starts polling on the current process's run loop.
    MPRISPlayers(const std::string& busAddress, ChangeHandler onChange);
    ~MPRISPlayers();
    MPRISPlayers(const MPRISPlayers&) = delete;
    MPRISPlayers& operator=(const MPRISPlayers&) = delete;

    bool connected() const { return m_connection != nullptr; }
    const std::vector<Player>& players() const { return m_players; }
    // The one playing (the most recently active of those playing), else the most recently
    // active; none without players.
    const Player* current() const;
    bool isPlaying() const;
    // Title, artist, artwork bytes and playback rate of the current player; empty without one.
    Dictionary nowPlayingInformation() const;
    // Sends PlayPause, Next or Previous to the current player; false when there is none.
    bool send(unsigned command);

    // Handles the signals that arrived since the last poll (the run loop calls this).
    void poll();

private:
    struct Snapshot {
        std::string busName, title, artist, artUrl;
        bool playing = false;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const;
    void announceChangesSince(const Snapshot& before);
    void schedulePoll();
    void addPlayer(const std::string& busName, const std::string& owner);
    void removePlayer(const std::string& busName);
    void applyProperties(Player& player, GVariant* properties);
    void loadArtwork(Player& player);
    void logNothingPlayingOnce(const std::string& why);

    static void onNameOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                   GVariant* parameters, gpointer self);
    static void onPropertiesChanged(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar*,
                                    GVariant* parameters, gpointer self);

    ChangeHandler m_onChange;
    GMainContext* m_context;
    std::unique_ptr<DBusConnection> m_connection;
    guint m_ownerSubscription = 0;
    guint m_propertiesSubscription = 0;
    std::vector<Player> m_players;
    std::uint64_t m_activity = 0;
    RunLoop::Token m_pollToken = 0;
    bool m_loggedNothingPlaying = false;
    bool m_closing = false;
};

}  // namespace ios
