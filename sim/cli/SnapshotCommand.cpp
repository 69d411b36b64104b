#include "sim/cli/SnapshotCommand.h"

#include <ostream>

#include "platform/springboard/DeviceConfiguration.h"
#include "platform/graphics/UIImage.h"
#include "platform/springboard/HomeScreen.h"
#include "sim/scenario/StandardCommands.h"

namespace flint::sim {

int runSnapshot(const SnapshotOptions& snapshot, std::ostream& out, std::ostream& err) {
    BootOptions options;
    options.root = snapshot.root;
    options.appearance = snapshot.appearance;
    if (!snapshot.profile.empty()) {
        if (!ios::deviceProfileNamed(snapshot.profile)) {
            err << "flint-sim: unknown device \"" << snapshot.profile
                << "\" (iphone-8, iphone-8-plus, iphone-x, iphone-11)\n";
            return 2;
        }
        options.profile = snapshot.profile;
    }
    std::unique_ptr<Device> device;
    std::string error;
    if (!bootConfiguredDevice(options, !snapshot.profile.empty(), device, error)) {
        err << "flint-sim: " << error << "\n";
        return 1;
    }
    auto image = ios::HomeScreen::shared().snapshot(snapshot.scale);
    if (!image || !image->writePNG(snapshot.output)) {
        err << "flint-sim: cannot write " << snapshot.output.string() << "\n";
        return 1;
    }
    out << "wrote " << snapshot.output.string() << " (" << image->pixelWidth() << " × " << image->pixelHeight()
        << ")\n";
    return 0;
}

}  // namespace flint::sim
