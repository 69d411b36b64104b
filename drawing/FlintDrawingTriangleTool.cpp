#include "drawing/FlintDrawingTriangleTool.h"

OBJC_CLASS_DEFINE(FlintDrawingTriangleTool, FlintDrawingPolygonTool)
