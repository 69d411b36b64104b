#pragma once
// The entry table of the simulator screens' library (which links libFlint.so), exported under the
// single unmangled name `FlintSimScreensTable`. Entries are only ever appended; a change to an
// existing entry's signature bumps the version.

#include <cstdint>
#include <string>

namespace flint::sim {

struct FlintSimScreens {
    std::uint32_t version;
    std::uint32_t size;  // sizeof(FlintSimScreens) as the library was built

    // The drawing sandbox demo, reporting on stdout; 0 on success.
    int (*runDrawingDemo)(const std::string& outDir);
    // One drawing-sandbox command for scenarios (see DrawingSandbox.h); false with the reason in
    // `reply`, else true with the command's answer (if any) in `reply`.
    bool (*drawingCommand)(const std::string& command, std::string& reply);
    // Eight marquee frames half a second apart, reporting on stdout; 0 on success.
    int (*writeMarqueeFrames)(const std::string& outDir);
};

inline constexpr std::uint32_t kFlintSimScreensVersion = 1;
inline constexpr const char* kFlintSimScreensSymbol = "FlintSimScreensTable";

}  // namespace flint::sim

extern "C" const flint::sim::FlintSimScreens* FlintSimScreensTable();
