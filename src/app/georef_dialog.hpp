// Map -> Georeference Map...: a tool window beside the map. While it is open a left click on the map
// adds a control point (a numbered marker on the map, held on its picture pixel); the table shows each
// point's picture column and row, its two coordinates as typed (a refused text framed in red with the
// reason as its tip) and its residual after the fit, which runs after every change. Save writes the
// world file and .prj beside the picture and georeferences the map at once.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "measure/georef_points.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace brelvo::geo {
class GeoServices;
}

namespace brelvo::app {

class JsonWriter;

class GeorefDialog : public QWidget {
  public:
    struct Hooks {
        std::function<geo::GeoServices*()> services;  // the geodata plugin, loaded on first use
        std::function<std::string()> picturePath;     // the picture's file; empty for a pasted picture
        // Sets the map's georeference for the session (after Save, or without a file to save beside).
        std::function<void(const measure::Georeference&)> apply;
        // The view position (pixels of `markerParent`) of a picture pixel.
        std::function<QPoint(double column, double row)> viewOfPixel;
    };
    // A tool window owned by `owner`; the markers are drawn on `markerParent` (the map view).
    GeorefDialog(QWidget& owner, QWidget& markerParent, Hooks hooks);
    ~GeorefDialog() override;

    // A left click on the map at picture pixel (column, row): a new point.
    void addPoint(double column, double row);
    // Point `number`'s two coordinates typed into their boxes, as a user types and leaves each box.
    bool typeCoordinates(int number, const std::string& first, const std::string& second);
    // Chooses latitude/longitude, or easting/northing in the EPSG system `code` typed in its box.
    void chooseLatLong();
    void chooseSystem(const std::string& code);
    bool removePoint(int number);
    void fit();
    // Save: the world file and .prj beside the picture, then the map's georeference.
    void save();
    // The markers go where their picture pixels now are (after a zoom, scroll or layout).
    void placeMarkers();
    const measure::GeorefPoints& points() const { return points_; }
    // {points: [{column, row, x, y, residual}], system, message}
    void dump(JsonWriter& json) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void kindChosen(int index);
    void boxLeft(int number, int which);
    // The table, the markers and the message from the points.
    void refresh();
    void refit();
    std::optional<std::string> systemWkt(const std::string& code, std::string& error) const;

    Hooks hooks_;
    QWidget& markerParent_;
    measure::GeorefPoints points_;
    QComboBox* kind_;
    QLineEdit* epsg_;
    QTableWidget* table_;
    QLabel* message_;
    QPushButton* remove_;
    std::vector<QLabel*> markers_;
    bool refreshing_ = false;
};

}  // namespace brelvo::app
