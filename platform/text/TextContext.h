#pragma once
// The Pango context shared by font metrics and text layout: the default Cairo font map, 72
// units per inch (so a point is one user-space unit) and no hinting, so measurements do not
// depend on the scale text is later drawn at.

#include <pango/pangocairo.h>

namespace ios::text {

PangoContext* measuringContext();

}  // namespace ios::text
