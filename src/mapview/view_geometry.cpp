// Map view geometry: layout, zoom and scroll of the picture rectangle, pan/zoom hit regions.
#include "mapview/view_geometry.hpp"

#include <cmath>

namespace brelvo::mapview {

namespace {

float roundWhole(float v) {
    return static_cast<float>(std::nearbyint(v));
}

void applyNaturalSize(ViewGeometry& g) {
    // An empty picture keeps the rectangle it was given; a picture without stretch shows at its own size.
    if (!g.stretch && g.hasPicture) {
        g.picture.width = g.naturalWidth;
        g.picture.height = g.naturalHeight;
    }
}

}  // namespace

void layout(ViewGeometry& g, const RectF& clientArea) {
    g.stretch = false;
    applyNaturalSize(g);
    g.view = {roundWhole(clientArea.left), roundWhole(clientArea.top), roundWhole(clientArea.width),
              roundWhole(clientArea.height)};
    if (!g.firstLayoutDone) {
        g.picture = g.view;
        applyNaturalSize(g);
    }
    g.panZoom.left = g.view.width - g.panZoom.width;
    g.panZoom.top = g.view.height - g.panZoom.height;
    g.firstLayoutDone = true;
}

void layout(ViewGeometry& g, const RectF& clientArea, float& scaleX, float& scaleY) {
    if (g.stretch && g.hasPicture && g.naturalWidth > 0 && g.naturalHeight > 0) {
        const double rx = static_cast<double>(g.picture.width) / static_cast<double>(g.naturalWidth);
        const double ry = static_cast<double>(g.picture.height) / static_cast<double>(g.naturalHeight);
        if (rx > 0 && ry > 0) {
            scaleX = static_cast<float>(scaleX * rx);
            scaleY = static_cast<float>(scaleY * ry);
        }
    }
    layout(g, clientArea);
}

void setPicture(ViewGeometry& g, bool hasPicture, float naturalWidth, float naturalHeight) {
    g.hasPicture = hasPicture;
    g.naturalWidth = hasPicture ? naturalWidth : 0;
    g.naturalHeight = hasPicture ? naturalHeight : 0;
    applyNaturalSize(g);
}

void zoomPic(ViewGeometry& g, double r, float& scaleX, float& scaleY) {
    zoomPicAt(g, r, g.view.width / 2, g.view.height / 2, scaleX, scaleY);
}

void panPic(ViewGeometry& g, float dx, float dy) {
    g.picture.left = g.picture.left + dx;
    g.picture.top = g.picture.top + dy;
}

void zoomPicAt(ViewGeometry& g, double r, float cx, float cy, float& scaleX, float& scaleY) {
    // The fraction of the picture under (cx, cy) stays under it.
    // A rectangle that has shrunk to nothing zooms about its top-left corner instead of dividing by zero.
    const float u = g.picture.width > 0 ? (cx - g.picture.left) / g.picture.width : 0.0f;
    const float v = g.picture.height > 0 ? (cy - g.picture.top) / g.picture.height : 0.0f;
    g.stretch = true;
    const float w2 = static_cast<float>(g.picture.width * r);
    const float h2 = static_cast<float>(g.picture.height * r);
    g.picture = {cx - w2 * u, cy - h2 * v, w2, h2};
    scaleX = static_cast<float>(scaleX / r);
    scaleY = static_cast<float>(scaleY / r);
}

void scrollPic(ViewGeometry& g, std::int16_t scrollMode) {
    const float f = g.scrollZoomFactor;
    switch (scrollMode) {
        case 0:
            g.picture.top = g.picture.top + g.view.height * f;
            break;
        case 1:
            g.picture.top = g.picture.top - g.view.height * f;
            break;
        case 2:
            g.picture.left = g.picture.left + g.view.width * f;
            break;
        case 3:
            g.picture.left = g.picture.left - g.view.width * f;
            break;
        case 4:
            g.picture.left = (g.view.width - g.picture.width) / 2;
            g.picture.top = (g.view.height - g.picture.height) / 2;
            break;
        default:
            break;
    }
}

PanZoomRegion panZoomRegionAt(float x, float y, float w, float h) {
    // Each bound is the product held as a single; every comparison is strict.
    const float x22 = static_cast<float>(0.22 * w), x44 = static_cast<float>(0.44 * w),
                x66 = static_cast<float>(0.66 * w);
    const float y33 = static_cast<float>(0.33 * h), y66 = static_cast<float>(0.66 * h),
                y50 = static_cast<float>(0.5 * h);
    const bool midColumn = x > x22 && x < x44;
    const bool midRow = y > y33 && y < y66;
    if (midColumn && y < y33) return PanZoomRegion::Up;
    if (midColumn && y > y66) return PanZoomRegion::Down;
    if (x < x22 && midRow) return PanZoomRegion::Left;
    if (x > x44 && x < x66 && midRow) return PanZoomRegion::Right;
    if (midColumn && midRow) return PanZoomRegion::Centre;
    if (x > x66 && y < y50) return PanZoomRegion::ZoomIn;
    if (x > x66 && y > y50) return PanZoomRegion::ZoomOut;
    return PanZoomRegion::None;
}

void panZoomRegionCentre(PanZoomRegion region, float w, float h, float& x, float& y) {
    switch (region) {
        case PanZoomRegion::Up:
            x = 0.33f * w;
            y = 0.165f * h;
            break;
        case PanZoomRegion::Down:
            x = 0.33f * w;
            y = 0.83f * h;
            break;
        case PanZoomRegion::Left:
            x = 0.11f * w;
            y = 0.495f * h;
            break;
        case PanZoomRegion::Right:
            x = 0.55f * w;
            y = 0.495f * h;
            break;
        case PanZoomRegion::Centre:
            x = 0.33f * w;
            y = 0.495f * h;
            break;
        case PanZoomRegion::ZoomIn:
            x = 0.83f * w;
            y = 0.25f * h;
            break;
        case PanZoomRegion::ZoomOut:
            x = 0.83f * w;
            y = 0.75f * h;
            break;
        case PanZoomRegion::None:
            x = 0;
            y = 0;
            break;
    }
}

}  // namespace brelvo::mapview
