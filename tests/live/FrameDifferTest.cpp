// The frame differ finds exactly the changed pixels' rectangle and nothing when nothing changed;
// the frame message carries that rectangle's pixels losslessly.

#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/UIImage.h"
#include "sim/live/FrameDiffer.h"

namespace {

using namespace flint::live;

struct Frame {
    int width, height, stride;  // stride in pixels, wider than the frame to catch stride mistakes
    std::vector<std::uint32_t> pixels;
    Frame(int w, int h) : width(w), height(h), stride(w + 3), pixels(std::size_t(stride) * h, 0xFF102030) {}
    std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * stride + x]; }
    std::optional<PixelRect> into(FrameDiffer& differ) {
        return differ.update(pixels.data(), width, height, stride * 4);
    }
};

TEST(FrameDiffer, FirstFrameIsWholeThenOnlyTheChangedRectangle) {
    FrameDiffer differ;
    Frame frame(40, 30);
    EXPECT_EQ(frame.into(differ), (PixelRect{0, 0, 40, 30}));
    EXPECT_EQ(frame.into(differ), std::nullopt) << "nothing changed: nothing to send";

    frame.at(7, 11) = 0xFFFFFFFF;
    EXPECT_EQ(frame.into(differ), (PixelRect{7, 11, 1, 1}));
    EXPECT_EQ(frame.into(differ), std::nullopt);

    frame.at(39, 2) = 0xFF000000;  // the last column
    frame.at(0, 29) = 0xFF000001;  // the last row, first column
    EXPECT_EQ(frame.into(differ), (PixelRect{0, 2, 40, 28}));

    frame.at(5, 5) = 0xFF102031;  // one bit in one channel
    frame.at(9, 6) = 0xFF112030;
    EXPECT_EQ(frame.into(differ), (PixelRect{5, 5, 5, 2}));
    // The padding beyond the frame's width is not part of the frame.
    frame.at(41, 3) = 0xFFABCDEF;
    EXPECT_EQ(frame.into(differ), std::nullopt);
}

TEST(FrameDiffer, ASizeChangeSendsTheWholeFrame) {
    FrameDiffer differ;
    Frame small(10, 10), large(12, 10);
    small.into(differ);
    EXPECT_EQ(large.into(differ), (PixelRect{0, 0, 12, 10}));
    EXPECT_EQ(differ.width(), 12);
}

// With the compositor's damage, only the damaged rectangles are compared and taken: the exact
// changed rectangle inside them, nothing when they hold no change.
TEST(FrameDiffer, DamageLimitsTheSearchToItsRectangles) {
    FrameDiffer differ;
    Frame frame(40, 30);
    frame.into(differ);
    auto within = [&](std::vector<PixelRect> damage) {
        return differ.update(frame.pixels.data(), frame.width, frame.height, frame.stride * 4, damage);
    };
    EXPECT_EQ(within({{0, 0, 40, 30}}), std::nullopt) << "damage without a change sends nothing";

    frame.at(12, 7) = 0xFFFFFFFF;
    frame.at(30, 20) = 0xFF00FF00;
    EXPECT_EQ(within({{10, 5, 5, 5}, {28, 18, 4, 4}}), (PixelRect{12, 7, 19, 14}));
    EXPECT_EQ(within({{10, 5, 5, 5}}), std::nullopt) << "the changes were taken";

    // Damage reaching beyond the frame is clipped to it; the last row and column are found.
    frame.at(39, 29) = 0xFF0000FF;
    EXPECT_EQ(within({{35, 25, 100, 100}, {-5, -5, 2, 2}}), (PixelRect{39, 29, 1, 1}));

    // A change outside the damage is not looked at; the whole-frame form still finds it.
    frame.at(2, 2) = 0xFF123456;
    EXPECT_EQ(within({{20, 20, 5, 5}}), std::nullopt);
    EXPECT_EQ(frame.into(differ), (PixelRect{2, 2, 1, 1}));

    // A frame of another size is taken whole, whatever the damage says.
    Frame larger(44, 30);
    EXPECT_EQ(differ.update(larger.pixels.data(), larger.width, larger.height, larger.stride * 4, {{0, 0, 1, 1}}),
              (PixelRect{0, 0, 44, 30}));
}

TEST(FrameDiffer, RectanglesUnite) {
    EXPECT_EQ((PixelRect{1, 1, 2, 2}.united({5, 0, 1, 1})), (PixelRect{1, 0, 5, 3}));
    EXPECT_EQ((PixelRect{}.united({5, 0, 1, 1})), (PixelRect{5, 0, 1, 1}));
    EXPECT_EQ((PixelRect{2, 3, 4, 5}.united({})), (PixelRect{2, 3, 4, 5}));
}

TEST(FrameDiffer, FrameMessageCarriesTheRectangleLosslessly) {
    FrameDiffer differ;
    Frame frame(50, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            frame.at(x, y) = 0xFF000000u | (std::uint32_t(x * 5) << 16) | (std::uint32_t(y * 6) << 8) | 7;
    frame.into(differ);
    PixelRect rect{13, 9, 20, 17};
    auto message = encodeFrameMessage(differ.pixels(), differ.width(), differ.height(), rect, 0x01020304);
    ASSERT_GT(message.size(), kFrameHeaderBytes);
    auto u16 = [&](int at) { return message[at] | (message[at + 1] << 8); };
    EXPECT_EQ(message[0] | (message[1] << 8) | (message[2] << 16) | (message[3] << 24), 0x01020304);
    EXPECT_EQ(u16(4), 13);
    EXPECT_EQ(u16(6), 9);
    EXPECT_EQ(u16(8), 20);
    EXPECT_EQ(u16(10), 17);
    EXPECT_EQ(u16(12), 50);
    EXPECT_EQ(u16(14), 40);
    auto image = ios::UIImage::imageWithData(message.data() + kFrameHeaderBytes, message.size() - kFrameHeaderBytes);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->pixelWidth(), 20);
    ASSERT_EQ(image->pixelHeight(), 17);
    for (int y : {0, 8, 16})
        for (int x : {0, 11, 19}) {
            auto p = image->pixelAt(x, y);
            EXPECT_EQ(p.r, (13 + x) * 5);
            EXPECT_EQ(p.g, (9 + y) * 6);
            EXPECT_EQ(p.b, 7);
            EXPECT_EQ(p.a, 255);
        }
}

}  // namespace
