// The boxes that float over the map (the status line, the command lists, the coordinate box, the labels
// and the scale panel) are panels: a fill, a one-pixel grey border with rounded corners and some room
// inside it. They are drawn here with palettes, margins and a few lines of painting rather than with
// style sheets: the first style sheet makes Qt build its style-sheet style and polish the widgets
// through it, which cost the window's start more than a millisecond.
#pragma once

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMargins>
#include <QPlainTextEdit>

class QPainter;

namespace brelvo::app {

// How a panel is drawn: its fill (which may let the map show through), its border's colour and the
// radius of its corners, in pixels.
struct PanelLook {
    QColor fill;
    QColor border;
    int radius = 3;
};

// The width of a panel's border, in pixels: its contents start inside it.
inline constexpr int kPanelBorder = 1;

// Fills the rounded outline of `rect` with the look's fill and draws the border along its inside edge.
void paintPanel(QPainter& painter, const QRect& rect, const PanelLook& look);

// A text on a panel: `padding` between the border and the text, the text in `textColour`.
class PanelLabel : public QLabel {
  public:
    PanelLabel(const PanelLook& look, QMargins padding, QColor textColour, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void setPanelMargins();

    PanelLook look_;
    QMargins padding_;
};

// How the rows of a PanelList are drawn: the room around each row's text, the text's colour, and the
// fill and text colour of the row under the pointer and of the selected row.
struct PanelRowLook {
    QMargins padding;
    QColor text;
    QColor hoverFill;
    QColor selectedFill;
    QColor selectedText;
};

// A list on a panel, `padding` pixels between its border and its rows; the row under the pointer and
// the selected row are filled.
class PanelList : public QListWidget {
  public:
    PanelList(const PanelLook& look, int padding, const PanelRowLook& rows, QWidget* parent);

    // The room between the list's outer edge and its rows, on each side: border and padding.
    int edge() const { return kPanelBorder + padding_; }

  protected:
    bool event(QEvent* event) override;

  private:
    PanelLook look_;
    int padding_;
};

// A plain text box on a panel: its text starts right inside the border.
class PanelTextEdit : public QPlainTextEdit {
  public:
    PanelTextEdit(const PanelLook& look, QWidget* parent);

  protected:
    bool event(QEvent* event) override;

  private:
    PanelLook look_;
};

// A group box drawn as a panel: `padding` between the border and the contents, the title in bold at
// `titleOffset` inside the border, the contents in the normal weight.
class PanelGroupBox : public QGroupBox {
  public:
    PanelGroupBox(const QString& title, const PanelLook& look, QMargins padding, QPoint titleOffset,
                  QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void setPanelMargins();

    PanelLook look_;
    QMargins padding_;
    QPoint titleOffset_;
};

}  // namespace brelvo::app
