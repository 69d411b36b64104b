#pragma once
// The ten templates of the Showcase gallery as the command line names them: the gallery page
// (1 to 10), a short name, the bezel key the page's pill subscribes to, and the bezel family.

#include <array>
#include <string_view>

#include "showcase/ShowcaseSupport.h"

namespace flint::sim {

struct MockupTemplate {
    int page;
    const char* name;
    const char* key;
    showcase::BezelFamily family;
};

// In gallery order: entry k - 1 is page k.
const std::array<MockupTemplate, 10>& mockupTemplates();
// The template of a page number ("8") or a short name ("rosegold"), any case; null for neither.
const MockupTemplate* mockupTemplateNamed(std::string_view text);
// "edge to edge" or "home button".
const char* familyName(showcase::BezelFamily family);

}  // namespace flint::sim
