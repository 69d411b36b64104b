#pragma once
// The page's files (sim/web/), compiled into the binary by the build; the server serves these
// and nothing else from its own side.

#include <cstddef>
#include <string_view>

namespace flint::live {

struct LiveAsset {
    std::string_view path;  // "/index.html", "/live.js", ...
    std::string_view contentType;
    std::string_view bytes;
};

// The asset at a request path ("/" is "/index.html"); null for any other path.
const LiveAsset* findLiveAsset(std::string_view path);
std::size_t liveAssetCount();

}  // namespace flint::live
