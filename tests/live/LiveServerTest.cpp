// flint-sim serve through a real WebSocket client: the first frame is the whole screen, a tap on
// the status bar opens the panel and the frames show it, uploads reach the photo library, and
// everything that is not the server's own page or is out of bounds is refused.

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <fstream>
#include <thread>

#include "sim/live/LiveMessage.h"
#include "live/LiveTestClient.h"
#include "platform/graphics/CGContext.h"

namespace {

using namespace flint::testing;

constexpr int kScale = 3;  // iphone-x is @3x, and the live view renders at the profile's scale

std::string pngOfSize(int width, int height) {
    auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(width, height), 1, [&](ios::CGContext& c) {
        c.setFillColor(0.9, 0.2, 0.4, 1);
        c.fillRect(ios::CGRectMake(0, 0, width, height));
    });
    auto bytes = image->pngRepresentation();
    return std::string(bytes.begin(), bytes.end());
}

std::size_t photoCount(const LiveServerProcess& server) {
    auto state = httpRequest(server.port, http::verb::get, "/state");
    auto json = nlohmann::json::parse(state.body, nullptr, false);
    return json.is_object() ? json["photos"].get<std::size_t>() : 0;
}

class LiveServe : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new LiveServerProcess(); }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override { ASSERT_NE(s_server->port, 0) << "no banner from flint-sim serve: " << s_server->banner; }
    static LiveServerProcess* s_server;
};
LiveServerProcess* LiveServe::s_server = nullptr;

TEST_F(LiveServe, FirstFrameIsTheWholeScreenThenATapOnTheStatusBarShowsThePanel) {
    EXPECT_NE(s_server->banner.find("(iphone-x, dark)"), std::string::npos) << s_server->banner;
    LiveViewer viewer(s_server->port, s_server->origin());
    ASSERT_TRUE(viewer.connected) << viewer.handshakeError.message();
    ASSERT_TRUE(viewer.readUntil([&] { return !viewer.frames.empty(); }));
    EXPECT_EQ(viewer.frames.front(), (flint::live::PixelRect{0, 0, 375 * kScale, 812 * kScale}));
    auto state = viewer.lastText("state");
    ASSERT_TRUE(state);
    EXPECT_EQ((*state)["profile"], "iphone-x");
    EXPECT_EQ((*state)["pixelWidth"], 375 * kScale);
    viewer.settle();
    auto before = viewer.screen;

    // The default gesture: a tap on the status bar.
    ASSERT_TRUE(viewer.touch("began", 187, 20));
    ASSERT_TRUE(viewer.touch("ended", 187, 20));
    // The panel's cards cover the middle of the screen: most of those pixels change.
    int changed = 0, probes = 0;
    auto panelShown = [&] {
        changed = probes = 0;
        for (int y = 150; y < 500; y += 10)
            for (int x = 30; x < 345; x += 10, ++probes)
                if (viewer.pixel(x * kScale, y * kScale) != before[std::size_t(y * kScale) * viewer.width + x * kScale])
                    ++changed;
        return changed > probes / 2;
    };
    EXPECT_TRUE(viewer.readUntil(panelShown, std::chrono::seconds(60)))
        << changed << " of " << probes << " probes changed";
    ASSERT_TRUE(viewer.send(R"({"type":"button","name":"home"})"));
}

TEST(LiveServeIdle, IdleDeviceSendsNoFrames) {
    LiveServerProcess server;  // its own device: the suite's may have the panel (and its wave) open
    ASSERT_NE(server.port, 0);
    LiveViewer viewer(server.port, server.origin());
    ASSERT_TRUE(viewer.connected);
    viewer.settle();
    std::size_t frames = viewer.frames.size();
    viewer.readUntil([] { return false; }, std::chrono::milliseconds(2000));
    // The status-bar clock may tick over a minute boundary; more than that is not idle.
    EXPECT_LE(viewer.frames.size(), frames + 1);
}

TEST_F(LiveServe, UploadedPngRaisesThePhotoCountAndDownloadsBack) {
    std::size_t before = photoCount(*s_server);
    auto answer = httpRequest(s_server->port, http::verb::post, "/photos", pngOfSize(64, 48),
                              {{"Content-Type", "image/png"}, {"Origin", s_server->origin()}});
    EXPECT_EQ(answer.status, 200u) << answer.body;
    EXPECT_EQ(photoCount(*s_server), before + 1);
    auto photo = httpRequest(s_server->port, http::verb::get, "/photos/" + std::to_string(before) + ".png");
    EXPECT_EQ(photo.status, 200u);
    auto image =
        ios::UIImage::imageWithData(reinterpret_cast<const std::uint8_t*>(photo.body.data()), photo.body.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 64);
    EXPECT_EQ(image->pixelHeight(), 48);
}

TEST_F(LiveServe, BadUploadsLeaveTheLibraryUntouched) {
    std::size_t before = photoCount(*s_server);
    auto post = [&](const std::string& body, const std::string& type, std::string origin) {
        return httpRequest(s_server->port, http::verb::post, "/photos", body,
                           {{"Content-Type", type}, {"Origin", origin}});
    };
    auto wide = post(pngOfSize(8193, 2), "image/png", s_server->origin());
    EXPECT_EQ(wide.status, 422u);
    EXPECT_NE(wide.body.find("8192"), std::string::npos) << wide.body;
    EXPECT_EQ(post("not an image at all", "image/png", s_server->origin()).status, 422u);
    EXPECT_EQ(post("GIF89a", "image/gif", s_server->origin()).status, 400u);
    EXPECT_EQ(post(pngOfSize(8, 8), "image/png", "http://evil.example").status, 403u);
    auto huge = post(std::string(flint::live::kMaxUploadBytes + 1, 'x'), "image/png", s_server->origin());
    EXPECT_TRUE(huge.status == 413u || huge.status == 0u) << huge.status;

    // A connection dropped halfway through an upload saves nothing.
    {
        boost::asio::io_context io;
        tcp::socket socket(io);
        socket.connect(tcp::endpoint(boost::asio::ip::make_address("127.0.0.1"), s_server->port));
        std::string png = pngOfSize(32, 32);
        std::string head = "POST /photos HTTP/1.1\r\nHost: " + s_server->host() + "\r\nOrigin: " + s_server->origin() +
                           "\r\nContent-Type: image/png\r\nContent-Length: " + std::to_string(png.size()) + "\r\n\r\n";
        boost::asio::write(socket, boost::asio::buffer(head + png.substr(0, png.size() / 2)));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        socket.close();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(photoCount(*s_server), before);
}

TEST_F(LiveServe, ForeignOriginsAndHostsAreRefused) {
    LiveViewer foreign(s_server->port, "http://evil.example:8080");
    EXPECT_FALSE(foreign.connected);
    LiveViewer none(s_server->port, "");
    EXPECT_FALSE(none.connected);
    LiveViewer localhost(s_server->port, "http://localhost:" + std::to_string(s_server->port));
    EXPECT_TRUE(localhost.connected);
    // A page reached through another name (DNS rebinding) gets nothing.
    EXPECT_EQ(
        httpRequest(s_server->port, http::verb::get, "/state", {}, {}, "evil.example:" + std::to_string(s_server->port))
            .status,
        421u);
}

TEST_F(LiveServe, ServesItsAssetsAndPhotosAndNothingElse) {
    auto page = httpRequest(s_server->port, http::verb::get, "/");
    EXPECT_EQ(page.status, 200u);
    EXPECT_NE(page.body.find("<canvas id=\"screen\""), std::string::npos);
    EXPECT_EQ(httpRequest(s_server->port, http::verb::get, "/live.js").status, 200u);
    for (const char* target : {"/../../etc/passwd", "/photos/../../etc/passwd", "/photos/99999.png", "/photos/-1.png",
                               "/photos/0.png/../x", "/etc/passwd", "/%2e%2e/CMakeLists.txt", "/index.html/..",
                               "/downloads/flint-1.png", "/downloads/flint-.png", "/downloads/../photos/0.png"})
        EXPECT_EQ(httpRequest(s_server->port, http::verb::get, target).status, 404u) << target;
    EXPECT_EQ(httpRequest(s_server->port, http::verb::put, "/state").status, 405u);
}

TEST_F(LiveServe, MalformedMessagesGetAnErrorAndOversizedOnesCloseTheConnection) {
    LiveViewer viewer(s_server->port, s_server->origin());
    ASSERT_TRUE(viewer.connected);
    ASSERT_TRUE(viewer.send(R"({"type":"touch","phase":"began","x":"far","y":1})"));
    ASSERT_TRUE(viewer.readUntil([&] { return viewer.lastText("error").has_value(); }));
    EXPECT_NE((*viewer.lastText("error"))["message"].get<std::string>().find("touch"), std::string::npos);
    ASSERT_TRUE(viewer.send("{\"type\":\"key\",\"text\":\"" + std::string(70 * 1024, 'a') + "\"}"));
    EXPECT_FALSE(viewer.readUntil([] { return false; }, std::chrono::seconds(5)));
    EXPECT_FALSE(viewer.connected) << "an oversized message closes the connection";
}

// The change notification that `flint-sim prefs` posts against the served root reaches the
// running device's notification centre.
TEST(LiveServeNotifications, PrefsCommandAgainstTheServedRootReachesTheRunningDevice) {
    LiveServerProcess server;
    ASSERT_NE(server.port, 0);
    std::string command =
        std::string(FLINT_SIM_PATH) + " prefs --root " + server.root.string() + " set enableAll=false";
    ASSERT_EQ(std::system((command + " > /dev/null").c_str()), 0);
    LiveViewer viewer(server.port, server.origin());
    ASSERT_TRUE(viewer.connected);
    viewer.settle();
    ASSERT_TRUE(viewer.readUntil(
        [&] {
            auto log = viewer.lastText("state");
            if (!log) return false;
            for (const auto& line : (*log)["log"])
                if (line.get<std::string>().find("preferences.changed from process") != std::string::npos) return true;
            return false;
        },
        std::chrono::seconds(5)))
        << "the change notification did not arrive";
}

}  // namespace
