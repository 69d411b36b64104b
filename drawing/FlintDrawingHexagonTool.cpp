#include "drawing/FlintDrawingHexagonTool.h"

OBJC_CLASS_DEFINE(FlintDrawingHexagonTool, FlintDrawingPolygonTool)
