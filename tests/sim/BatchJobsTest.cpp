// The showcase command's option parser, its job-file reader and its template names, in process:
// good input gives the job's values, bad input one clear reason and no job run.

#include <gtest/gtest.h>

#include <sstream>

#include "sim/batch/JobFile.h"
#include "sim/batch/MockupTemplates.h"
#include "sim/batch/ShowcaseCommand.h"

namespace {

using flint::sim::JobFile;
using flint::sim::MockupJob;
using flint::sim::ShowcaseRequest;

int parse(const std::vector<std::string>& args, ShowcaseRequest& request, std::string& error) {
    std::ostringstream help;
    return flint::sim::parseShowcaseArguments(args, request, error, help);
}

TEST(BatchTemplates, NumbersAndNamesFollowTheGalleryPages) {
    const auto& templates = flint::sim::mockupTemplates();
    ASSERT_EQ(templates.size(), 10u);
    for (std::size_t i = 0; i < templates.size(); ++i) {
        EXPECT_EQ(templates[i].page, static_cast<int>(i) + 1);
        EXPECT_EQ(flint::sim::mockupTemplateNamed(std::to_string(i + 1)), &templates[i]);
        EXPECT_EQ(flint::sim::mockupTemplateNamed(templates[i].name), &templates[i]);
    }
    // The pages' bezel keys, and the family that decides the bezel's geometry.
    EXPECT_STREQ(flint::sim::mockupTemplateNamed("rosegold")->key, "IphoneRoseGold");
    EXPECT_EQ(flint::sim::mockupTemplateNamed("ROSEGOLD")->page, 8);
    EXPECT_STREQ(flint::sim::mockupTemplateNamed("coral")->key, "IphoneXCoral");
    EXPECT_STREQ(flint::sim::mockupTemplateNamed("black")->key, "IphoneBlack");
    EXPECT_STREQ(flint::sim::mockupTemplateNamed("x-black")->key, "IphoneXBlack");
    EXPECT_EQ(flint::sim::mockupTemplateNamed("7")->family, flint::showcase::BezelFamily::HomeButton);
    EXPECT_EQ(flint::sim::mockupTemplateNamed("6")->family, flint::showcase::BezelFamily::EdgeToEdge);
    for (const char* bad : {"0", "11", "", "pink", "8x"})
        EXPECT_EQ(flint::sim::mockupTemplateNamed(bad), nullptr) << bad;

    std::ostringstream list;
    flint::sim::listTemplates(list);
    const std::string text = list.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_NE(text.find(" 8  rosegold  home button   bezel 284 × 576 pt, screen 250 × 440 pt"), std::string::npos)
        << text;
    EXPECT_NE(text.find(" 1  x-silver  edge to edge  bezel 287 × 571 pt, screen 251 × 542 pt"), std::string::npos)
        << text;
}

TEST(BatchOptions, AFullCommandLineGivesEveryValue) {
    ShowcaseRequest request;
    std::string error;
    ASSERT_EQ(parse({"--screenshot",
                     "shot.png",
                     "--template",
                     "rosegold",
                     "--background-color",
                     "#00B2FF",
                     "--rotate",
                     "0,35,-12",
                     "--translate",
                     "0, 20",
                     "--scale",
                     "0.9,0.9",
                     "--caption",
                     "Made with Flint",
                     "--caption-at",
                     "40,60",
                     "--caption-color",
                     "#FF2D55",
                     "--profile",
                     "iphone-8",
                     "--resolution",
                     "2",
                     "-o",
                     "mock.png"},
                    request, error),
              0)
        << error;
    const MockupJob& job = request.job;
    EXPECT_EQ(request.mode, ShowcaseRequest::Mode::One);
    EXPECT_EQ(job.screenshot, "shot.png");
    EXPECT_EQ(job.output, "mock.png");
    EXPECT_EQ(job.mockupTemplate->page, 8);
    ASSERT_TRUE(job.backgroundColor);
    EXPECT_DOUBLE_EQ(job.backgroundColor->b, 1.0);
    EXPECT_NEAR(job.backgroundColor->g, 0xB2 / 255.0, 1e-9);
    EXPECT_EQ(*job.rotate, (std::array<double, 3>{0, 35, -12}));
    EXPECT_EQ(*job.translate, (std::array<double, 2>{0, 20}));
    EXPECT_EQ(*job.scale, (std::array<double, 2>{0.9, 0.9}));
    EXPECT_EQ(*job.captionAt, (std::array<double, 2>{40, 60}));
    EXPECT_EQ(*job.caption, "Made with Flint");
    EXPECT_EQ(flint::sim::hexColour(*job.captionColor), "#FF2D55");
    EXPECT_EQ(job.profile, "iphone-8");
    EXPECT_EQ(*job.resolution, 2);

    ShowcaseRequest list, jobs;
    ASSERT_EQ(parse({"--list"}, list, error), 0) << error;
    EXPECT_EQ(list.mode, ShowcaseRequest::Mode::List);
    ASSERT_EQ(parse({"--jobs", "j.json", "--out-dir", "out", "--parallel", "3"}, jobs, error), 0) << error;
    EXPECT_EQ(jobs.mode, ShowcaseRequest::Mode::Jobs);
    EXPECT_EQ(jobs.jobFile, "j.json");
    EXPECT_EQ(jobs.outDir, "out");
    EXPECT_EQ(jobs.parallel, 3);
}

TEST(BatchOptions, BadCommandLinesAreUsageErrorsThatNameTheProblem) {
    const std::vector<std::string> base = {"--screenshot", "s.png", "--template", "1", "-o", "m.png"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), base.begin(), base.end());
        return extra;
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "expected --list, --jobs FILE"},
        {{"--screenshot", "s.png", "-o", "m.png"}, "missing template"},
        {{"--screenshot", "s.png", "--template", "2"}, "missing output"},
        {{"--list", "--jobs", "j.json"}, "separate command lines"},
        {{"--jobs", "j.json", "--template", "2"}, "separate command lines"},
        {with({"--parallel", "2"}), "--out-dir and --parallel go with --jobs"},
        {{"--screenshot", "s.png", "--template", "12", "-o", "m.png"},
         "template \"12\": expected a template number from 1 to 10"},
        {with({"--rotate", "0,35"}), "rotate \"0,35\": expected three angles"},
        {with({"--rotate", "0,35,1,2"}), "rotate \"0,35,1,2\": expected three angles"},
        {with({"--scale", "a,1"}), "scale \"a,1\": expected two factors"},
        {with({"--translate", "1,inf"}), "translate \"1,inf\": expected two distances"},
        {with({"--caption-at", ""}), "captionAt \"\": expected a canvas point"},
        {with({"--background-color", "#12345"}), "backgroundColor \"#12345\": expected a colour"},
        {with({"--caption-color", "pink"}), "captionColor \"pink\": expected a colour"},
        {with({"--resolution", "5"}), "resolution \"5\": expected pixels per point from 1 to 4"},
        {with({"--resolution", "0.5"}), "resolution \"0.5\""},
        {with({"--profile", "iphone-12"}), "profile \"iphone-12\": expected iphone-8"},
        {with({"--tilt", "3"}), "--tilt"},
        {{"--jobs", "j.json", "--parallel", "0"}, "--parallel"},
    };
    for (const auto& [args, reason] : cases) {
        ShowcaseRequest request;
        std::string error;
        EXPECT_EQ(parse(args, request, error), 2) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << "expected \"" << reason << "\" in \"" << error << "\"";
    }
}

TEST(BatchJobFile, ReadsEveryOptionAndTakesPathsFromTheFilesFolder) {
    const std::string text = R"([
      {"screenshot": "shots/home.png", "template": 8, "backgroundColor": "#00B2FF", "background": "/abs/bg.jpg",
       "rotate": [0, 35, -12], "translate": "0,20", "scale": [0.9, 0.9], "caption": "Hi", "captionAt": [40, 60],
       "captionColor": "#FF2D55", "profile": "iphone-11", "resolution": 1, "output": "out/home.png"},
      {"screenshot": "b.png", "template": "coral"}
    ])";
    JobFile file = flint::sim::readJobText(text, "jobs.json", "/work/jobs");
    ASSERT_TRUE(file.error.empty()) << file.error;
    ASSERT_EQ(file.jobs.size(), 2u);
    const MockupJob& a = file.jobs[0];
    EXPECT_TRUE(a.problem.empty()) << a.problem;
    EXPECT_EQ(a.number, 1);
    EXPECT_EQ(a.screenshot, "/work/jobs/shots/home.png");
    EXPECT_EQ(a.background, "/abs/bg.jpg");
    EXPECT_EQ(a.output, "/work/jobs/out/home.png");
    EXPECT_EQ(a.mockupTemplate->page, 8);
    EXPECT_EQ(*a.rotate, (std::array<double, 3>{0, 35, -12}));
    EXPECT_EQ(*a.translate, (std::array<double, 2>{0, 20}));
    EXPECT_EQ(*a.scale, (std::array<double, 2>{0.9, 0.9}));
    EXPECT_EQ(*a.captionAt, (std::array<double, 2>{40, 60}));
    EXPECT_EQ(a.profile, "iphone-11");
    EXPECT_EQ(*a.resolution, 1);
    EXPECT_EQ(a.label(), "job 1 (home.png)");
    // Without an output, the screenshot's name with "-mockup" beside the job file, or in the
    // output folder when one is given (which also takes the relative outputs).
    EXPECT_TRUE(file.jobs[1].problem.empty()) << file.jobs[1].problem;
    EXPECT_EQ(file.jobs[1].output, "/work/jobs/b-mockup.png");
    EXPECT_EQ(file.jobs[1].profile, "iphone-x");
    JobFile moved = flint::sim::readJobText(text, "jobs.json", "/work/jobs", "/tmp/out");
    EXPECT_EQ(moved.jobs[0].output, "/tmp/out/out/home.png");
    EXPECT_EQ(moved.jobs[1].output, "/tmp/out/b-mockup.png");
}

// The position is the character where the parser stopped: the stray brace, the last character
// before an early end, the end of an unexpected word.
TEST(BatchJobFile, InvalidJsonIsReportedWithItsLineAndColumn) {
    const std::pair<std::string, std::string> cases[] = {
        {"[\n  {\"screenshot\": \"a.png\",}\n]",
         "jobs.json:2:26: not valid JSON: syntax error while parsing object key"},
        {"[{\"screenshot\": \"a.png\"}",
         "jobs.json:1:24: not valid JSON: syntax error while parsing array - unexpected end of input"},
        {"", "jobs.json:1:1: not valid JSON"},
        {"[1, 2,\n\n   x]", "jobs.json:3:4: not valid JSON"},
        {"{\"screenshot\": \"a.png\"}", "jobs.json: expected an array of job objects, found object"},
    };
    for (const auto& [text, reason] : cases) {
        JobFile file = flint::sim::readJobText(text, "jobs.json", "/j");
        EXPECT_TRUE(file.jobs.empty()) << text;
        EXPECT_EQ(file.error.rfind(reason, 0), 0u)
            << "expected \"" << reason << "\" at the start of \"" << file.error << "\"";
    }
}

TEST(BatchJobFile, ABadJobCarriesItsReasonAndTheOthersStayGood) {
    const std::string text = R"([
      {"screenshot": "a.png", "template": 1},
      {"screenshot": "b.png", "template": 1, "rotation": [1, 2, 3]},
      {"screenshot": "c.png", "template": 11},
      {"screenshot": "d.png"},
      "e.png",
      {"screenshot": "f.png", "template": 2, "rotate": [0, "35", 0]},
      {"screenshot": "g.png", "template": 2, "caption": {"text": "x"}},
      {"screenshot": "h.png", "template": 2, "resolution": 9},
      {"screenshot": "i.png", "template": "x-black"},
      {"screenshot": "sub/../a.png", "template": 4}
    ])";
    JobFile file = flint::sim::readJobText(text, "jobs.json", "/j");
    ASSERT_TRUE(file.error.empty()) << file.error;
    ASSERT_EQ(file.jobs.size(), 10u);
    const std::string reasons[] = {"",
                                   "unknown option \"rotation\" (the options are screenshot, template,",
                                   "template \"11\": expected a template number",
                                   "missing template",
                                   "expected an object of options, found string",
                                   "rotate: expected an array of numbers only",
                                   "caption: expected a string, a number or an array of numbers",
                                   "resolution \"9\": expected pixels per point from 1 to 4",
                                   "",
                                   "output /j/a-mockup.png is also job 1's output"};
    for (std::size_t i = 0; i < file.jobs.size(); ++i) {
        EXPECT_EQ(file.jobs[i].number, static_cast<int>(i) + 1);
        if (reasons[i].empty())
            EXPECT_TRUE(file.jobs[i].problem.empty()) << i << ": " << file.jobs[i].problem;
        else
            EXPECT_EQ(file.jobs[i].problem.rfind(reasons[i], 0), 0u) << i << ": " << file.jobs[i].problem;
    }
}

}  // namespace
