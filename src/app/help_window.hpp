// The guide in a window of the program: the help text read-only in a text browser, with a find box.
#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;

namespace brelvo::app {

class HelpWindow : public QWidget {
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the text file at `path`; a file that cannot be read is named instead.
    void load(const QString& path);
    // Finds `text` after the current selection, starting over from the top once; false when absent.
    bool find(const QString& text);

    QString text() const;

  private:
    QLineEdit* findBox_ = nullptr;
    QTextBrowser* browser_ = nullptr;
};

}  // namespace brelvo::app
