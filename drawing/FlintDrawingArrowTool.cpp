#include "drawing/FlintDrawingArrowTool.h"

#include <cmath>

#include "platform/graphics/UIGraphics.h"

using namespace ios;

OBJC_CLASS_DEFINE(FlintDrawingArrowTool, FlintDrawingTwoPointTool)

float FlintDrawingArrowTool::angleWithFirstPoint(CGPoint first, CGPoint second) {
    return std::atan2(static_cast<float>(second.y - first.y), static_cast<float>(second.x - first.x));
}

CGPoint FlintDrawingArrowTool::pointWithAngle(double angle, double distance) {
    float a = static_cast<float>(angle);
    return {std::cos(a) * distance, std::sin(a) * distance};
}

void FlintDrawingArrowTool::draw() {
    CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context) return;
    double w = lineWidth();
    double headLength = 4 * w;
    if (lineColor()) context->setStrokeColor(*lineColor());
    context->setLineCap(kCGLineCapSquare);
    context->setLineWidth(w);
    context->setAlpha(lineAlpha());

    CGPoint first = firstPoint(), last = lastPoint();
    context->moveToPoint(first.x, first.y);
    context->addLineToPoint(last.x, last.y);

    float theta = angleWithFirstPoint(first, last);
    CGPoint o1 = pointWithAngle(theta + 0.875 * M_PI, headLength);
    CGPoint o2 = pointWithAngle(theta - 0.875 * M_PI, headLength);
    CGPoint ot = pointWithAngle(theta, w);
    CGPoint b1{last.x + o1.x, last.y + o1.y};
    CGPoint b2{last.x + o2.x, last.y + o2.y};
    CGPoint tip{last.x + ot.x, last.y + ot.y};
    context->moveToPoint(b1.x, b1.y);
    context->addLineToPoint(tip.x, tip.y);
    context->addLineToPoint(b2.x, b2.y);
    context->strokePath();
}
