// The measuring window's widgets over the map: the map view, the two command lists, the coordinate
// listing (Text1), the labels, the scale panel (Text2, UpDown1, Option1, Command1), the pan/zoom
// control and the status line. Builds them with their control names, sets them from the measuring
// document, and hands what the user does with them to the window as measuring input.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapview/pan_zoom.hpp"
#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/command_controller.hpp"
#include "measure/measure_document.hpp"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace brelvo::app {

class MapView;
class PanZoomControl;

// What the user does on the map and the widgets, as the window routes it into document steps.
class MeasuringInput {
  public:
    virtual ~MeasuringInput() = default;
    virtual void mapMouseUp(measure::MouseButton button, float x, float y) = 0;  // image-relative
    virtual void mapWheel(float viewX, float viewY, int steps, mapview::WheelTurn turn) = 0;
    virtual void mapPan(float dx, float dy) = 0;
    virtual void text1Press(measure::MouseButton button, float x, float y) = 0;
    virtual void text1Move(float x, float y) = 0;
    virtual void labelPress(int index, measure::MouseButton button, float x, float y) = 0;
    virtual void labelMove(int index, float x, float y) = 0;
    virtual void panZoomClick(float x, float y) = 0;
    virtual void chooseCommand(const std::string& item) = 0;
    virtual void choosePicture(const std::string& item) = 0;
    virtual bool handleKey(int key, Qt::KeyboardModifiers modifiers) = 0;
};

class MeasuringWidgets : public QObject {
  public:
    MeasuringWidgets(QWidget& window, measure::MeasureDocument& doc, mapview::ViewGeometry& geometry,
                     mapview::PictureRenderer& renderer, measure::MeasureController& controller, float tpp,
                     MeasuringInput& input);

    // A part of the document changed: the widgets showing it follow.
    void show(measure::SurfacePart part);
    void broughtToFront(measure::SurfacePart part);
    void syncLabels();
    // The map view below `top` pixels (the menu bar's height), the pan/zoom control on it.
    void placeView(int top);

    MapView* mapView() const { return mapView_; }
    // The coordinate listing (Text1), built on first use.
    QPlainTextEdit* coordinateBox();
    PanZoomControl* panZoomControl() const { return panZoomControl_; }
    QWidget* upDown() const;
    bool hasCommandItem(const std::string& item) const;
    bool hasPictureItem(const std::string& item) const;
    // The status line's text: the map coordinates under the pointer while a scale is set.
    QString statusText() const;
    // The pointer over the map at that view position (view units), or off it: the status line follows.
    void pointerMoved(std::optional<QPointF> viewPosition);
    // What the status line adds at a view position (the elevation under the pointer); empty: nothing.
    std::function<std::string(float, float)> pointerExtra;
    // A note the status line shows before the coordinates (what the next click does); empty: none.
    void setStatusNote(const QString& note);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    template <typename Work>
    void step(Work work) {
        measure::MeasureDocument::Step step(doc_);
        work();
    }
    void buildLists();
    void buildCoordinateBox();
    void buildScalePanel();
    QLabel* statusLine();
    bool coordinateBoxMouse(QEvent::Type type, QMouseEvent* mouse);
    // While a line is traced the map has the keys, also when the coordinate listing has the focus.
    bool coordinateBoxKey(QEvent* event);
    void placeBox(QWidget* widget, const measure::Box& box);
    void syncScalePanel();
    void syncText1();
    int px(float viewUnits) const;

    QWidget& window_;
    measure::MeasureDocument& doc_;
    mapview::ViewGeometry& geometry_;
    measure::MeasureController& controller_;
    float tpp_;
    MeasuringInput& input_;
    MapView* mapView_ = nullptr;                    // UserControlPic1, which shows Image1
    QListWidget* commandList_ = nullptr;            // lstMenu1
    QListWidget* pictureList_ = nullptr;            // lstMenu2
    QPlainTextEdit* coordinateBox_ = nullptr;       // Text1
    std::vector<QLabel*> labels_;                   // Label1(0), Label1(1), ...
    QGroupBox* scalePanel_ = nullptr;               // frameScale
    QLineEdit* scaleDistanceBox_ = nullptr;         // Text2
    QToolButton* spinUp_ = nullptr;                 // UpDown1.up
    QToolButton* spinDown_ = nullptr;               // UpDown1.down
    QButtonGroup* unitOptions_ = nullptr;           // Option1
    std::vector<QRadioButton*> unitOptionButtons_;  // Option1(0), Option1(1), ...
    QPushButton* scaleOkButton_ = nullptr;          // Command1
    PanZoomControl* panZoomControl_ = nullptr;      // img4Way
    QLabel* statusLine_ = nullptr;
    QString statusNote_;
    std::optional<QPointF> lastPointer_;
    // A left press on the coordinate box while a line is traced: a click there is the map's, a drag
    // still moves the box.
    bool text1ClickPending_ = false;
    bool syncing_ = false;  // widgets are being set from the model: their change signals are not user input
};

}  // namespace brelvo::app
