// Geometry of the map view: the picture rectangle inside the view, layout on resize, zoom about the
// view's centre, scrolling, and the hit regions of the pan/zoom control. All lengths in view units.
#pragma once

#include <cstdint>

namespace brelvo::mapview {

struct RectF {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const RectF&, const RectF&) = default;
};

// Picture pixels per view unit are set by the screen: a picture's natural size in view units is its
// pixel size times the view units per pixel.
struct ViewGeometry {
    RectF view;            // the map view in the window's client area; outer and inner size are the same
    RectF picture;         // Image1: left and top are imageLeft and imageTop of the measuring logic
    bool stretch = false;  // picture drawn scaled to fill its rectangle
    bool hasPicture = false;
    float naturalWidth = 0;  // the picture's natural size, view units
    float naturalHeight = 0;
    RectF panZoom;  // img4Way
    float scrollZoomFactor = 0.05f;
    bool firstLayoutDone = false;
};

// Size-change of the main window: stretch off (natural size), the view takes the client area (rounded to
// whole view units), the first layout sizes the picture rectangle to the view, the pan/zoom control goes
// to the view's lower right corner.
void layout(ViewGeometry& g, const RectF& clientArea);

// The same layout for a size change of the window: a zoom that it drops is given back to the map scale
// factors (multiplied by the ratio of the zoomed to the natural size, across and down), so that the
// same picture points measure the same before and after.
void layout(ViewGeometry& g, const RectF& clientArea, float& scaleX, float& scaleY);

// A new picture (or none): the rectangle keeps its position; with stretch off it takes the natural size.
void setPicture(ViewGeometry& g, bool hasPicture, float naturalWidth, float naturalHeight);

// Zoom by the ratio r (1.05 enlarges by 5 %) about the view's centre; the map scale factors, in map units
// per view unit, are divided by r so that measurements stay tied to the picture.
void zoomPic(ViewGeometry& g, double r, float& scaleX, float& scaleY);

// The same zoom about the view position (cx, cy): the picture point under it stays under it.
void zoomPicAt(ViewGeometry& g, double r, float cx, float cy, float& scaleX, float& scaleY);

// Moves the picture by (dx, dy) view units, as a drag of the map does.
void panPic(ViewGeometry& g, float dx, float dy);

// Scroll: 0 up, 1 down, 2 left, 3 right (one step is scrollZoomFactor of the view's size), 4 centre.
// Any other mode does nothing.
void scrollPic(ViewGeometry& g, std::int16_t scrollMode);

enum class PanZoomRegion { None, Up, Down, Left, Right, Centre, ZoomIn, ZoomOut };

// Which region of the pan/zoom control a point (control-relative, the same units as w and h) falls in.
// Borders between regions and the uncovered corners belong to no region.
PanZoomRegion panZoomRegionAt(float x, float y, float w, float h);

// The middle of a region, for replaying a click on it.
void panZoomRegionCentre(PanZoomRegion region, float w, float h, float& x, float& y);

}  // namespace brelvo::mapview
