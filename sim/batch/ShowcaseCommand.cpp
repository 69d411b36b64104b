#include "sim/batch/ShowcaseCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "sim/batch/BatchRunner.h"
#include "sim/batch/JobFile.h"
#include "sim/batch/MockupStudio.h"
#include "sim/batch/PhotoImport.h"

namespace flint::sim {

namespace {

// Command-line spellings of the job options.
struct Spelling {
    const char* flag;
    const char* option;
    const char* help;
};
const Spelling kSpellings[] = {
    {"--screenshot", "screenshot", "the screenshot to frame (PNG or JPEG)"},
    {"--template", "template", "template number 1-10 (the gallery's page) or name (see --list)"},
    {"--background-color", "backgroundColor", "background colour, #RRGGBB (taken to the colour slider's nearest hue)"},
    {"--background", "background", "background image (PNG or JPEG), aspect-filled"},
    {"--rotate", "rotate", "X,Y,Z rotation in degrees, each -180 to 180"},
    {"--translate", "translate", "X,Y translation in points, each -500 to 500"},
    {"--scale", "scale", "X,Y scale factors, each 0 to 2"},
    {"--caption", "caption", "text typed with the text tool"},
    {"--caption-at", "captionAt", "X,Y canvas point the text tool taps (default 20,20)"},
    {"--caption-color", "captionColor", "caption colour, #RRGGBB (taken to the drawing slider's nearest hue)"},
    {"--profile", "profile", "device: iphone-8, iphone-8-plus, iphone-x (default) or iphone-11"},
    {"--resolution", "resolution", "pixels per point of the PNG, 1 to 4 (default: the profile's scale)"},
    {"-o,--output", "output", "PNG to write"},
};

}  // namespace

void listTemplates(std::ostream& out) {
    char line[160];
    for (const auto& t : mockupTemplates()) {
        const auto& g = showcase::geometryOf(t.family);
        std::snprintf(line, sizeof line, "%2d  %-9s %-13s bezel %3.0f × %3.0f pt, screen %3.0f × %3.0f pt\n", t.page,
                      t.name, familyName(t.family), g.bezel.width, g.bezel.height, g.screen.width, g.screen.height);
        out << line;
    }
}

int parseShowcaseArguments(const std::vector<std::string>& arguments, ShowcaseRequest& request, std::string& error,
                           std::ostream& out) {
    CLI::App app{"flint-sim showcase: device mock-ups made by the Showcase composer"};
    app.name("flint-sim showcase");
    bool list = false;
    std::string jobFile, outDir;
    int parallel = 0;
    app.add_flag("--list", list, "print the ten templates");
    app.add_option("--jobs", jobFile, "a JSON array of jobs with the options below by their JSON names");
    app.add_option("--out-dir", outDir, "folder for the jobs' relative outputs");
    app.add_option("--parallel", parallel, "worker processes (default: the number of cores)")->check(CLI::Range(1, 64));
    std::map<std::string, std::string> values;
    for (const auto& s : kSpellings)
        app.add_option(s.flag, values[s.option], std::string(s.help) + " [" + s.option + "]");
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return -1;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return 2;
    }
    std::vector<std::string> jobOptions;
    for (const auto& s : kSpellings)
        if (app.count(std::string(s.flag).substr(std::string(s.flag).rfind(',') + 1)) > 0)
            jobOptions.push_back(s.option);

    const int modes = int(list) + int(!jobFile.empty()) + int(!jobOptions.empty());
    if (modes != 1) {
        error = modes == 0 ? "expected --list, --jobs FILE, or --screenshot with its options"
                           : "--list, --jobs and a single mock-up's options go on separate command lines";
        return 2;
    }
    if (list) {
        request.mode = ShowcaseRequest::Mode::List;
        return 0;
    }
    if (!jobFile.empty()) {
        request.mode = ShowcaseRequest::Mode::Jobs;
        request.jobFile = jobFile;
        request.outDir = outDir;
        request.parallel = parallel;
        return 0;
    }
    if (!outDir.empty() || parallel != 0) {
        error = "--out-dir and --parallel go with --jobs";
        return 2;
    }
    request.mode = ShowcaseRequest::Mode::One;
    for (const auto& option : jobOptions)
        if (!setJobOption(request.job, option, values[option], {}, error)) return 2;
    if (auto missing = missingJobOptions(request.job); !missing.empty()) {
        error = missing;
        return 2;
    }
    return 0;
}

namespace {

int makeOne(const MockupJob& job, std::ostream& out, std::ostream& err) {
    MockupStudio studio(job.profile);
    studio.readAhead(job);
    std::string notes, error;
    if (!studio.boot(error) || !studio.make(job, notes, error)) {
        err << "flint-sim showcase: " << error << "\n";
        return 1;
    }
    out << "wrote " << job.output.string() << (notes.empty() ? "" : " (" + notes + ")") << "\n";
    return 0;
}

int runJobs(const ShowcaseRequest& request, std::ostream& out, std::ostream& err, bool terminal) {
    JobFile file = readJobFile(request.jobFile, request.outDir);
    if (!file.error.empty()) {
        err << "flint-sim showcase: " << file.error << "\n";
        return 2;
    }
    if (file.jobs.empty()) {
        out << "written 0 of 0, failed 0\n";
        return 0;
    }
    if (!request.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(request.outDir, ec);
    }
    BatchOptions options;
    options.parallel = request.parallel > 0 ? request.parallel : defaultParallelism();
    options.terminal = terminal;
    return runBatch(file.jobs, options, out).exitStatus();
}

}  // namespace

int runShowcaseCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool terminal) {
    ShowcaseRequest request;
    std::string error;
    const int parsed = parseShowcaseArguments(arguments, request, error, out);
    if (parsed < 0) return 0;
    if (parsed != 0) {
        err << "flint-sim showcase: " << error << "\n(flint-sim showcase --help lists the options)\n";
        return 2;
    }
    if (request.mode == ShowcaseRequest::Mode::List) {
        listTemplates(out);
        return 0;
    }
    installStopHandlers();
    const int status = request.mode == ShowcaseRequest::Mode::One ? makeOne(request.job, out, err)
                                                                  : runJobs(request, out, err, terminal);
    // Interrupted meanwhile: the mock-ups in hand were finished and the devices' temporary roots
    // are gone with their studios; the process ends as interrupted, so that a script running it
    // stops too.
    out.flush();
    err.flush();
    endIfStopped();
    return status;
}

}  // namespace flint::sim
