// Writes that a crash cannot tear: a child process writes preferences, photos, the device
// configuration and the network file in a loop and is killed with SIGKILL at a random moment,
// over and over. After each kill every file reads back whole, every write the child had
// finished is there, and the photo library lists only whole photos.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <random>
#include <set>

#include "platform/bsd/DeviceNetwork.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestProcess.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/springboard/DeviceConfiguration.h"
#include "platform/uikit/UIPhotoLibrary.h"

namespace {

using namespace ios;

constexpr const char* kPreferences = "/var/mobile/Library/Preferences/com.flint.crash.plist";
constexpr int kKills = 250;
constexpr int kPhotoWidths = 4;

// One finished write, as the child reports it: a record shorter than the pipe's atomic size.
struct Report {
    char kind;  // 'P' preferences, 'C' configuration, 'N' network, 'I' photo
    std::int64_t counter;
    int width;
    char name[24];
};

objc::Ref<UIImage> photo(int width) {
    return UIImage::imageWithSize({static_cast<double>(width), 6}, 1, [](CGContext& c) {
        c.setFillColor(0.9, 0.3, 0.1, 1);
        c.fillRect({{0, 0}, {100, 100}});
    });
}

std::int64_t counterIn(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0 ? std::stoll(text.substr(prefix.size())) : -1;
}

class WriteCrashTest : public ::testing::Test {
protected:
    ios::testing::TestProcess process;

    [[noreturn]] static void writeForever(int pipe, std::int64_t counter,
                                          const std::vector<objc::Ref<UIImage>>& photos) {
        auto network = bsd::DeviceNetwork::typicalPhone();
        auto configuration = DeviceConfiguration::defaults();
        const auto networkFile = bsd::DeviceNetwork::fileIn(devicePath("/"));
        auto report = [pipe](Report r) { (void)!::write(pipe, &r, sizeof r); };
        for (;; ++counter) {
            // Texts of changing length, so that a torn write would show as a cut file.
            Dictionary preferences{{"counter", counter}, {"text", std::string(500 + counter % 4000, 'p')}};
            if (writeDictionaryToFile(preferences, kPreferences)) report({'P', counter, 0, {}});
            configuration.applications[0].name = "App " + std::to_string(counter);
            if (configuration.save()) report({'C', counter, 0, {}});
            network.wifiNetworks["en0"] = "Net " + std::to_string(counter) + std::string(counter % 300, '.');
            if (network.save(networkFile)) report({'N', counter, 0, {}});
            std::string error;
            const int which = static_cast<int>(counter % kPhotoWidths);
            auto path = UIPhotoLibrary::shared().saveImage(photos[which], error);
            if (!path.empty()) {
                Report r{'I', counter, photos[which]->pixelWidth(), {}};
                std::strncpy(r.name, path.filename().c_str(), sizeof r.name - 1);
                report(r);
            }
        }
    }
};

TEST_F(WriteCrashTest, EveryFileReadsBackWholeAfterEachKill) {
    std::vector<objc::Ref<UIImage>> photos;
    for (int i = 0; i < kPhotoWidths; ++i) photos.push_back(photo(3 + 5 * i));
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::mt19937 random(19);
    std::map<char, std::int64_t> finished;   // the latest finished write of each kind
    std::map<std::string, int> photoWidths;  // every finished photo
    std::set<std::string> checkedPhotos;
    const auto networkFile = bsd::DeviceNetwork::fileIn(devicePath("/"));
    int kills = 0, interrupted = 0;
    for (int round = 0; round < kKills; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeForever(fds[1], std::int64_t{round} * 1000000, photos);
        // Once the child is writing (its first report is in), the kill comes at a random moment.
        pollfd ready{fds[0], POLLIN, 0};
        ::poll(&ready, 1, 20000);
        ::usleep(std::uniform_int_distribution<unsigned>(0, 3000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        ++kills;
        Report r;
        int reports = 0;
        while (::read(fds[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r)) {
            finished[r.kind] = r.counter;
            if (r.kind == 'I') photoWidths[r.name] = r.width;
            ++reports;
        }
        interrupted += reports > 0;

        if (finished.count('P')) {
            auto stored = dictionaryWithContentsOfFile(kPreferences);
            ASSERT_TRUE(stored) << "preferences torn after kill " << kills;
            std::int64_t counter = (*stored)["counter"].integerValue();
            EXPECT_GE(counter, finished['P']);
            EXPECT_EQ((*stored)["text"].string()->size(), 500u + counter % 4000);
        }
        if (finished.count('C')) {
            auto value = readPropertyListFile(devicePath(kDeviceConfigurationPath));
            ASSERT_TRUE(value) << "configuration torn after kill " << kills;
            auto configuration = DeviceConfiguration::fromValue(*value);
            EXPECT_GE(counterIn(configuration.applications.at(0).name, "App "), finished['C']);
        }
        if (finished.count('N')) {
            std::string error;
            auto network = bsd::DeviceNetwork::load(networkFile, error);
            ASSERT_TRUE(network) << "network file torn after kill " << kills << ": " << error;
            EXPECT_GE(counterIn(network->wifiNetworks["en0"], "Net "), finished['N']);
        }
        std::set<std::string> listed;
        for (const auto& path : UIPhotoLibrary::shared().photoPaths()) {
            const std::string name = path.filename().string();
            listed.insert(name);
            if (!checkedPhotos.insert(name).second) continue;
            auto image = UIImage::imageWithContentsOfHostFile(path, 1);
            ASSERT_TRUE(image) << name << " is listed but does not decode, after kill " << kills;
        }
        for (const auto& [name, width] : photoWidths) {
            ASSERT_TRUE(listed.count(name)) << "finished photo " << name << " is missing after kill " << kills;
            if (checkedPhotos.count(name) && width) {
                EXPECT_EQ(
                    UIImage::imageWithContentsOfHostFile(UIPhotoLibrary::shared().folder() / name, 1)->pixelWidth(),
                    width);
                photoWidths[name] = 0;  // checked once
            }
        }
        if (::testing::Test::HasFailure()) break;
    }
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_EQ(kills, kKills);
    EXPECT_EQ(interrupted, kKills) << "every child was killed while writing";
    RecordProperty("kills", kills);
}

// Two processes saving photos at once each get names of their own: none overwrites the other.
TEST_F(WriteCrashTest, TwoProcessesSavingAtOnceNeverOverwriteEachOther) {
    constexpr int kEach = 25;
    auto narrow = photo(3), wide = photo(9);
    pid_t children[2];
    for (int k = 0; k < 2; ++k) {
        children[k] = ::fork();
        ASSERT_GE(children[k], 0);
        if (children[k] == 0) {
            std::string error;
            int saved = 0;
            for (int i = 0; i < kEach; ++i)
                saved += !UIPhotoLibrary::shared().saveImage(k ? wide : narrow, error).empty();
            ::_exit(saved == kEach ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto paths = UIPhotoLibrary::shared().photoPaths();
    ASSERT_EQ(paths.size(), 2u * kEach);
    int narrowCount = 0, wideCount = 0;
    for (const auto& path : paths) {
        auto image = UIImage::imageWithContentsOfHostFile(path, 1);
        ASSERT_TRUE(image) << path;
        (image->pixelWidth() == 3 ? narrowCount : wideCount)++;
    }
    EXPECT_EQ(narrowCount, kEach);
    EXPECT_EQ(wideCount, kEach);
}

}  // namespace
