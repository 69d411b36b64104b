#include "platform/quartz/CACompositor.h"

#include <algorithm>
#include <cmath>

#include "platform/quartz/CALayer.h"
#include "platform/quartz/CALayerRenderer.h"

namespace ios {

namespace {

CATransform3D fromCairo(const cairo_matrix_t& m) {
    return CATransform3DMakeAffineTransform({m.xx, m.yx, m.xy, m.yy, m.x0, m.y0});
}

}  // namespace

void CACompositor::drawLayerTree(CALayer& root, cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_save(cr);
    CALayerRenderer renderer(cr);
    renderer.drawLayer(root, CATransform3DIdentity, fromCairo(m));
    cairo_restore(cr);
}

void CACompositor::renderLayerContents(CALayer& layer, cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_save(cr);
    CALayerRenderer renderer(cr);
    objc::Ref<CALayer> presentation = layer.hasAnimations() ? layer.presentationLayer() : nullptr;
    const CALayer& l = presentation ? *presentation : layer;
    if (!l.isHidden() && std::fabs(m.xx * m.yy - m.xy * m.yx) >= 1e-12) renderer.drawBody(layer, l, fromCairo(m));
    cairo_restore(cr);
}

UIImageRef CACompositor::render(const std::vector<CALayer*>& roots, CGSize size, double scale,
                                const UIColorRef& background) {
    if (scale <= 0) scale = 1;
    int w = std::max(1, static_cast<int>(std::ceil(size.width * scale - 1e-9)));
    int h = std::max(1, static_cast<int>(std::ceil(size.height * scale - 1e-9)));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    if (background) {
        cairo_set_source_rgba(cr, background->red(), background->green(), background->blue(), background->alpha());
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    cairo_scale(cr, scale, scale);
    for (CALayer* root : roots)
        if (root) drawLayerTree(*root, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    UIImageRef image = UIImage::imageWithSurface(surface, scale);
    cairo_surface_destroy(surface);
    return image;
}

UIImageRef CACompositor::render(CALayer& root, CGSize size, double scale, const UIColorRef& background) {
    return render(std::vector<CALayer*>{&root}, size, scale, background);
}

bool CACompositor::writePNG(const std::vector<CALayer*>& roots, CGSize size, double scale,
                            const std::filesystem::path& path, const UIColorRef& background) {
    UIImageRef image = render(roots, size, scale, background);
    return image && image->writePNG(path);
}

}  // namespace ios
