// The live device in this process: the share sheet's "Save to Downloads" target hands the shared
// image to the browser as a numbered download, and only the newest few are kept.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/uikit/UIActivityViewController.h"
#include "sim/live/LiveDevice.h"

namespace {

using flint::live::LiveDevice;

objc::Ref<ios::UIActivity> saveToDownloads() {
    for (const auto& activity : ios::UIActivityViewController::processActivities())
        if (activity->activityTitle() == "Save to Downloads") return activity;
    return nullptr;
}

std::vector<nlohmann::json> downloadEvents(LiveDevice& device) {
    std::vector<nlohmann::json> found;
    for (auto& event : device.takeEvents())
        if (event["type"] == "download") found.push_back(event);
    return found;
}

TEST(LiveDevice, SaveToDownloadsHandsTheSharedImageToTheBrowser) {
    LiveDevice device(flint::live::LiveOptions{});
    auto activity = saveToDownloads();
    ASSERT_TRUE(activity) << "the live device's share sheets offer no \"Save to Downloads\"";
    device.takeEvents();

    auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(30, 20), 2, [](ios::CGContext& c) {
        c.setFillColor(0.1, 0.6, 0.3, 1);
        c.fillRect(ios::CGRectMake(0, 0, 30, 20));
    });
    std::optional<bool> completed;
    activity->perform({objc::make<objc::Object>(), image}, [&](bool done) { completed = done; });
    ASSERT_EQ(completed, true);
    auto events = downloadEvents(device);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]["url"], "/downloads/flint-1.png");
    EXPECT_EQ(events[0]["name"], "flint-1.png");
    const auto* bytes = device.download(1);
    ASSERT_TRUE(bytes);
    auto decoded = ios::UIImage::imageWithData(bytes->data(), bytes->size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixelWidth(), 60);
    EXPECT_EQ(decoded->pixelHeight(), 40);
    auto p = decoded->pixelAt(30, 20);
    EXPECT_NEAR(p.g, 153, 2);

    // Nothing to share: not completed, nothing offered.
    completed.reset();
    activity->perform({objc::make<objc::Object>()}, [&](bool done) { completed = done; });
    EXPECT_EQ(completed, false);
    EXPECT_TRUE(downloadEvents(device).empty());

    // Numbers keep rising; the oldest are forgotten once more than eight wait.
    for (int i = 0; i < 9; ++i) activity->perform({image}, [](bool) {});
    EXPECT_EQ(downloadEvents(device).back()["name"], "flint-10.png");
    EXPECT_FALSE(device.download(1));
    EXPECT_FALSE(device.download(2));
    EXPECT_TRUE(device.download(3));
    EXPECT_TRUE(device.download(10));
    EXPECT_FALSE(device.download(11));
}

}  // namespace
