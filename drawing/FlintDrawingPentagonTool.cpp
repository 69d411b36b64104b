#include "drawing/FlintDrawingPentagonTool.h"

OBJC_CLASS_DEFINE(FlintDrawingPentagonTool, FlintDrawingPolygonTool)
