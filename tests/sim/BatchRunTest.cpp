// flint-sim showcase and flint-sim photos run as a person runs them: the mock-up at one pixel per
// point is byte for byte the editor's own save of the same steps by touch, a tilted bezel lands
// where the transform puts it, a batch with bad jobs writes the good ones and names the bad, and
// workers in parallel write what one worker writes, and an interrupted batch leaves only whole files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "tests/sim/SimRunner.h"

namespace {

using flint::testing::runSim;
using flint::testing::SimResult;

// Runs a shell command line and collects what it printed.
SimResult runShell(const std::string& command) {
    SimResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

objc::Ref<ios::UIImage> readPNG(const std::filesystem::path& path) {
    const std::string bytes = bytesOf(path);
    return bytes.empty()
               ? nullptr
               : ios::UIImage::imageWithData(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool near(const ios::UIImage::RGBA& p, int r, int g, int b, int tolerance) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
           p.a == 255;
}

std::string describe(const ios::UIImage::RGBA& p) {
    return std::to_string(p.r) + " " + std::to_string(p.g) + " " + std::to_string(p.b) + " " + std::to_string(p.a);
}

class BatchRun : public flint::testing::SimFolderTest {
protected:
    // A screenshot-sized PNG: solid blue, or blue above and orange below.
    std::filesystem::path screenshot(const std::string& name, bool twoTone = false, int width = 375, int height = 812) {
        auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(width, height), 1, [&](ios::CGContext& c) {
            c.setFillColor(0, 0, 1, 1);
            c.fillRect(ios::CGRectMake(0, 0, width, height));
            if (twoTone) {
                c.setFillColor(1, 0.5, 0, 1);
                c.fillRect(ios::CGRectMake(0, height / 2.0, width, height / 2.0));
            }
        });
        image->writePNG(dir / name);
        return dir / name;
    }
    std::filesystem::path background(const std::string& name) {
        auto image = ios::UIImage::imageWithSize(ios::CGSizeMake(200, 300), 1, [&](ios::CGContext& c) {
            for (int i = 0; i < 10; ++i) {
                c.setFillColor(0.1 * i, 0.8, 0.3, 1);
                c.fillRect(ios::CGRectMake(0, 30 * i, 200, 30));
            }
        });
        image->writePNG(dir / name);
        return dir / name;
    }
    std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(BatchRun, AtOnePixelPerPointTheMockupIsTheEditorsOwnSaveOfTheSameTouches) {
    const auto shot = screenshot("shot.png", true), bg = background("bg.png");
    const auto device = dir / "device";
    SimResult added = runSim("photos --root " + device.string() + " add " + shot.string() + " " + bg.string());
    ASSERT_EQ(added.status, 0) << added.out;
    EXPECT_NE(added.out.find("as photo 1 (IMG_0001.PNG, 375 × 812)"), std::string::npos) << added.out;
    EXPECT_NE(added.out.find("as photo 2 (IMG_0002.PNG, 200 × 300)"), std::string::npos) << added.out;
    SimResult listed = runSim("photos --root " + device.string() + " list");
    EXPECT_NE(listed.out.find("1  IMG_0001.PNG  375 × 812\n2  IMG_0002.PNG  200 × 300\n"), std::string::npos)
        << listed.out;

    // By touch: the panel, seven swipes through the gallery to the rose-gold page, its pill; the
    // screenshot and the background from the picker (the photos added above), the text tool, the
    // caption typed at canvas point (40, 60) (the canvas starts 81.2 points down), the save.
    std::string script =
        "root device\npref enableAll=true\nboot\ntap 187 20\nwait 1\ntap-property showcaseView\nwait 1\n";
    for (int i = 0; i < 7; ++i) script += "swipe 319 300 56 300 0.25\nwait 1\n";
    script +=
        "tap-property customizeView8\nwait 1\n"
        "tap-property toolCardView 187 20\nwait 1\n"
        "tap-property screenshotImageButton\nwait 1\npick-photo 1\nwait 1\n"
        "swipe 319 451 56 451 0.25\nwait 1\n"
        "tap-property backgroundImageButton\nwait 1\npick-photo 2\nwait 1\n"
        "swipe 319 451 56 451 0.25\nwait 1\n"
        "tap-property drawingTextButton\nwait 1\n"
        "tap-property toolCardView 187 20\nwait 1\n"
        "tap 40 141.2\nwait 0.5\ntype \"Hello batch\"\ntap 360 100\nwait 1\n"
        "tap-property toolCardView 187 20\nwait 1\n"
        "swipe 56 451 319 451 0.25\nwait 1\nswipe 56 451 319 451 0.25\nwait 1\n"
        "tap-property saveImageButton\nwait 1\n"
        "expect alert \"Showcase\" \"Successfully saved photo to your photo library :)\"\n"
        "alert-press \"Got it!\"\nwait 1\n"
        "expect photos 3\n"
        "write-export touch.png\n";
    SimResult touched = runScript("touch.flint", script);
    ASSERT_EQ(touched.status, 0) << touched.out;

    SimResult made =
        runSim("showcase --screenshot " + shot.string() + " --template rosegold --background " + bg.string() +
               " --caption \"Hello batch\" --caption-at 40,60 --resolution 1 -o " + (dir / "batch.png").string());
    ASSERT_EQ(made.status, 0) << made.out;
    EXPECT_NE(made.out.find("wrote " + (dir / "batch.png").string()), std::string::npos) << made.out;

    const std::string byTouch = bytesOf(dir / "touch.png"), byCommand = bytesOf(dir / "batch.png");
    ASSERT_FALSE(byTouch.empty());
    EXPECT_TRUE(byTouch == byCommand) << "the command's PNG differs from the editor's save (" << byTouch.size()
                                      << " and " << byCommand.size() << " bytes)";
    // Not an empty agreement: the rose-gold bezel's screen shows the screenshot's two halves.
    auto image = readPNG(dir / "batch.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 375);
    EXPECT_EQ(image->pixelHeight(), 731);
    EXPECT_TRUE(near(image->pixelAt(187, 300), 0, 0, 255, 8)) << describe(image->pixelAt(187, 300));
    EXPECT_TRUE(near(image->pixelAt(187, 450), 255, 128, 0, 8)) << describe(image->pixelAt(187, 450));

    // The library's newest photo exported is the same save.
    SimResult exported = runSim("photos --root " + device.string() + " export 3 " + (dir / "exported.png").string());
    ASSERT_EQ(exported.status, 0) << exported.out;
    EXPECT_TRUE(bytesOf(dir / "exported.png") == byTouch);
    SimResult missing = runSim("photos --root " + device.string() + " export 4 " + (dir / "none.png").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("there is no photo 4 (the library holds 3)"), std::string::npos) << missing.out;
}

TEST_F(BatchRun, ATiltedBezelLiesWhereTheTransformPutsIt) {
    const auto shot = screenshot("blue.png");
    const auto out = dir / "tilt.png";
    SimResult r = runSim("showcase --screenshot " + shot.string() +
                         " --template 2 --background-color '#00FF00' --rotate 0,60,30"
                         " --scale 0.6,0.6 --translate 10,20 --resolution 2 -o " +
                         out.string());
    ASSERT_EQ(r.status, 0) << r.out;
    auto image = readPNG(out);
    ASSERT_TRUE(image);
    // The canvas (375 × 730.8 points) at two pixels per point.
    EXPECT_EQ(image->pixelWidth(), 750);
    EXPECT_EQ(image->pixelHeight(), 1462);

    // A point of the bezel, from its centre, as the layer transform moves it: turned 60° about Y
    // (no perspective, so X shrinks by cos 60°), then 30° about Z, scaled by 0.6, then moved by
    // (10, 20), about the bezel's centre in the middle of the canvas.
    auto place = [](double x, double y) {
        const double rad = 3.14159265358979 / 180;
        const double x1 = x * std::cos(60 * rad);
        const double px = 0.6 * (x1 * std::cos(30 * rad) - y * std::sin(30 * rad)) + 10 + 375 / 2.0;
        const double py = 0.6 * (x1 * std::sin(30 * rad) + y * std::cos(30 * rad)) + 20 + 730.8 / 2.0;
        return std::pair<int, int>{static_cast<int>(std::lround(px * 2)), static_cast<int>(std::lround(py * 2))};
    };
    // The edge-to-edge bezel is 287 × 571 with a 251 × 542 screen: near each screen corner the
    // screenshot's blue; beyond each bezel corner the background's green.
    for (double sx : {-1.0, 1.0})
        for (double sy : {-1.0, 1.0}) {
            const auto [ix, iy] = place(sx * 0.8 * 251 / 2, sy * 0.8 * 542 / 2);
            EXPECT_TRUE(near(image->pixelAt(ix, iy), 0, 0, 255, 12))
                << sx << "," << sy << " at " << ix << "," << iy << ": " << describe(image->pixelAt(ix, iy));
            const auto [ox, oy] = place(sx * 1.12 * 287 / 2, sy * 1.06 * 571 / 2);
            EXPECT_TRUE(near(image->pixelAt(ox, oy), 0, 255, 0, 12))
                << sx << "," << sy << " at " << ox << "," << oy << ": " << describe(image->pixelAt(ox, oy));
        }
    // Where the upright screen's corners would be, the narrowed, turned bezel is not.
    for (const auto& [x, y] : {std::pair{187.5 - 100, 365.4 - 216}, std::pair{187.5 + 100, 365.4 + 216}})
        EXPECT_TRUE(near(image->pixelAt(static_cast<int>(x * 2), static_cast<int>(y * 2)), 0, 255, 0, 12))
            << x << "," << y;
}

TEST_F(BatchRun, ABatchWritesTheGoodJobsNamesTheBadOnesAndRunsTheSameInParallel) {
    screenshot("a.png");
    screenshot("b.png", true);
    screenshot("small.png", true, 300, 600);
    std::ofstream(dir / "fake.png") << "not an image at all";
    // A PNG header that claims 9000 × 10 pixels.
    std::ofstream(dir / "huge.png", std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x23\x28\0\0\0\x0a\x08\x06\0\0\0", 29);
    write("jobs.json",
          R"([
      {"screenshot": "a.png", "template": 1, "output": "one.png"},
      {"screenshot": "b.png", "template": "rosegold", "backgroundColor": "#FF9500", "rotate": [0, 35, -12],
       "caption": "Two", "captionAt": [30, 40], "captionColor": "#808080", "output": "two.png"},
      {"screenshot": "missing.png", "template": 1},
      {"screenshot": "small.png", "template": 5, "profile": "iphone-8", "scale": [0.8, 0.8], "output": "three.png"},
      {"screenshot": "a.png", "template": 3, "rotate": [0, 0, 200], "output": "bad-angle.png"},
      {"screenshot": "fake.png", "template": 1},
      {"screenshot": "huge.png", "template": 1},
      {"screenshot": "b.png", "template": 9, "translate": [0, -40], "resolution": 1, "output": "four.png"},
      {"screenshot": "a.png", "template": 1, "output": ")" +
              (dir / "a.png/inside-a-file.png").string() + R"("},
      {"screenshot": "a.png", "template": 1, "tilt": 3}
    ])");
    const std::string reasons[] = {
        "job 3 (missing.png): screenshot " + (dir / "missing.png").string() + ": not found",
        "job 5 (a.png): rotate Z 200 is outside the slider's range -180 to 180",
        "job 6 (fake.png): screenshot " + (dir / "fake.png").string() + ": not a PNG or JPEG image",
        "job 7 (huge.png): screenshot " + (dir / "huge.png").string() +
            ": 9000 × 10 pixels, more than the 8192 pixels a side may have",
        "job 9 (a.png): cannot write",
        "job 10 (a.png): unknown option \"tilt\"",
    };
    for (const char* run : {"serial", "parallel"}) {
        SimResult r = runSim("showcase --jobs " + (dir / "jobs.json").string() + " --out-dir " + (dir / run).string() +
                             " --parallel " + (std::string(run) == "serial" ? "1" : "2"));
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find("written 4 of 10, failed 6\n"), std::string::npos) << r.out;
        for (const auto& reason : reasons)
            EXPECT_NE(r.out.find("  " + reason), std::string::npos) << reason << "\n" << r.out;
        // Without a terminal, one line per job.
        EXPECT_NE(r.out.find("] wrote " + (dir / run / "two.png").string() +
                             " (caption colour #808080 is not on the hue slider, its nearest hue gives #FF0000)"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '['), 10) << r.out;
    }
    // The good ones, and nothing else: no half-written files.
    std::vector<std::string> names;
    for (const auto& f : filesIn(dir / "serial")) names.push_back(f.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"four.png", "one.png", "three.png", "two.png"}));
    for (const auto& name : names) {
        const std::string serial = bytesOf(dir / "serial" / name), parallel = bytesOf(dir / "parallel" / name);
        EXPECT_FALSE(serial.empty()) << name;
        EXPECT_TRUE(serial == parallel) << name << " differs between one worker and two";
    }
    EXPECT_EQ(filesIn(dir / "parallel").size(), 4u);
    // Workers keep to one core each; a single mock-up reads ahead and encodes on a second one, to
    // the same bytes.
    SimResult single = runSim("showcase --screenshot " + (dir / "a.png").string() + " --template 1 -o " +
                              (dir / "single.png").string());
    ASSERT_EQ(single.status, 0) << single.out;
    EXPECT_TRUE(bytesOf(dir / "single.png") == bytesOf(dir / "serial/one.png"))
        << "a worker's job differs from it alone";
    // Each at its profile's scale unless the job says otherwise: the iPhone 8 canvas at 2x, the
    // iPhone X one at 3x, job 8 at 1x.
    auto three = readPNG(dir / "serial/three.png"), four = readPNG(dir / "serial/four.png"),
         one = readPNG(dir / "serial/one.png");
    ASSERT_TRUE(three && four && one);
    EXPECT_EQ(three->pixelWidth(), 750);
    EXPECT_EQ(three->pixelHeight(), 1201);
    EXPECT_EQ(one->pixelWidth(), 1125);
    EXPECT_EQ(one->pixelHeight(), 2193);
    EXPECT_EQ(four->pixelWidth(), 375);
}

TEST_F(BatchRun, AJobFileThatIsNotJsonRunsNothing) {
    screenshot("a.png");
    write("jobs.json",
          "[\n  {\"screenshot\": \"a.png\", \"template\": 1},\n  {\"screenshot\": \"a.png\" \"template\": 2}\n]\n");
    SimResult r = runSim("showcase --jobs " + (dir / "jobs.json").string() + " --out-dir " + (dir / "out").string());
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find((dir / "jobs.json").string() +
                         ":3:35: not valid JSON: syntax error while parsing object - unexpected string literal"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a-mockup.png"));

    SimResult usage = runSim("showcase --screenshot a.png --template 1");
    EXPECT_EQ(usage.status, 2) << usage.out;
    EXPECT_NE(usage.out.find("flint-sim showcase: missing output"), std::string::npos) << usage.out;
    SimResult list = runSim("showcase --list");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("10  black     home button"), std::string::npos) << list.out;
}

TEST_F(BatchRun, OnATerminalAProgressBarCountsTheJobsWithFailuresAboveIt) {
    screenshot("a.png");
    write("jobs.json", R"([{"screenshot": "a.png", "template": 4, "resolution": 1, "output": "a-out.png"},
                           {"screenshot": "a.png", "template": 4, "scale": [3, 1]}])");
    // `script` gives the command a terminal of its own.
    SimResult r = runShell("script -qec '" + std::string(FLINT_SIM_PATH) + " showcase --jobs " +
                           (dir / "jobs.json").string() + " --parallel 1' /dev/null");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("\r\033[K[##############..............] 1/2  "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\r\033[Kfailed job 2 (a.png): scale X 3 is outside the slider's range 0 to 2\r\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("[############################] 2/2  "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("jobs/s"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("written 1 of 2, failed 1"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "a-out.png"));
}

}  // namespace

// Interrupted as by ^C: the workers finish the jobs in hand and take no more, the summary counts
// the rest as not run, every file left is a whole PNG, no device root is left behind in the
// temporary folder, and the command ends as interrupted, so that a script running it stops too.
TEST_F(BatchRun, AnInterruptedBatchFinishesTheJobsInHandAndLeavesNothingBehind) {
    screenshot("a.png");
    constexpr int kJobs = 12;
    std::string jobs = "[";
    for (int i = 0; i < kJobs; ++i)
        jobs += std::string(i ? "," : "") + R"({"screenshot": "a.png", "template": 1, "output": "out/)" +
                std::to_string(i) + R"(.png"})";
    write("jobs.json", jobs + "]");
    const auto scratch = dir / "tmp";
    std::filesystem::create_directories(scratch);
    const std::string sim = FLINT_SIM_PATH, jobFile = (dir / "jobs.json").string();
    // Everything the child needs is made before the fork: between fork and exec it may only make
    // calls that are safe in a copy of a process with threads.
    std::vector<std::string> environment{"TMPDIR=" + scratch.string()};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0) environment.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{sim, "showcase", "--jobs", jobFile, "--parallel", "2"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        dup2(output[1], 1);
        dup2(output[1], 2);
        close(output[0]);
        close(output[1]);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    setpgid(pid, pid);
    close(output[1]);
    std::string out;
    bool interrupted = false;
    char buffer[4096];
    for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(n));
        // The whole group, as a terminal's ^C reaches it.
        if (!interrupted && out.find("] wrote") != std::string::npos) interrupted = kill(-pid, SIGINT) == 0;
    }
    close(output[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(interrupted) << out;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status << "\n" << out;

    int written = -1, notRun = -1;
    const auto at = out.find("written ");
    ASSERT_NE(at, std::string::npos) << out;
    ASSERT_EQ(
        std::sscanf(out.c_str() + at, "written %d of 12, failed 0\nstopped (Interrupt): %d not run", &written, &notRun),
        2)
        << out;
    EXPECT_GE(written, 1);
    EXPECT_LT(written, kJobs) << "the interrupt stopped nothing";
    EXPECT_EQ(written + notRun, kJobs) << out;
    const auto files = filesIn(dir / "out");
    EXPECT_EQ(files.size(), static_cast<std::size_t>(written)) << "only the jobs written, and no partial file";
    for (const auto& file : files) {
        auto image = readPNG(file);
        EXPECT_TRUE(image && image->pixelWidth() == 1125) << file;
    }
    EXPECT_TRUE(filesIn(scratch).empty()) << "a device root was left behind: " << filesIn(scratch).front();
}
