#include "drawing/FlintDrawingPolygonTool.h"

#include <cmath>

#include "drawing/FlintDrawingPenTool.h"
#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingPolygonTool, FlintDrawingFillableTool)

std::vector<CGPoint> FlintDrawingPolygonTool::vertices() const {
    CGPoint a = firstPoint(), b = lastPoint();
    double r = std::hypot(b.x - a.x, b.y - a.y) / 2;
    CGPoint c = midPoint(a, b);
    int n = numberOfSides();
    std::vector<CGPoint> points{{c.x, c.y + r}};
    for (int i = 1; i <= n; ++i) {
        double phi = 2 * M_PI * i / n;
        float f = static_cast<float>(phi);
        points.push_back({c.x + r * std::sin(f), c.y + r * std::cos(f)});
    }
    return points;
}

void FlintDrawingPolygonTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    context->setAlpha(lineAlpha());
    if (lineColor()) context->setStrokeColor(*lineColor());
    context->setLineWidth(lineWidth());
    context->setLineCap(kCGLineCapRound);
    context->setLineJoin(kCGLineJoinRound);
    auto points = vertices();
    context->moveToPoint(points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i) context->addLineToPoint(points[i].x, points[i].y);
    if (fill()) {
        if (lineColor()) context->setFillColor(*lineColor());
        context->drawPath(kCGPathFillStroke);
    } else {
        context->strokePath();
    }
}
