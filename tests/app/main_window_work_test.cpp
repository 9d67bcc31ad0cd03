// The measuring window keeps the user's work: the unsaved-changes mark follows only changes of the
// work (not commands that change nothing, cancelled dialogs or the view), Undo brings a cleared line
// back, a project's moved picture can be located again, and while a line is traced the map has the
// keys even when the coordinate listing has the focus, and a key runs its action once with the menu bar
// shown. Real mouse and key events.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "app/help_window.hpp"
#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/program_folder.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::measure::MouseButton;

class MainWindowWorkTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptDialogs> dialogs_;  // afresh for each window: no answer left over
    std::unique_ptr<MainWindow> window_;
    QTemporaryDir dir_;

    QWidget* view() const { return window_->control(QStringLiteral("UserControlPic1")); }
    QPlainTextEdit* listing() const {
        return qobject_cast<QPlainTextEdit*>(window_->control(QStringLiteral("Text1")));
    }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    void traceTriangle() {
        window_->chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        window_->chooseCommand("End Area/Line");
    }
    bool marked() const { return window_->shownTitle().find("* - ") != std::string::npos; }

  private slots:
    void init() {
        window_.reset();
        dialogs_ = std::make_unique<ScriptDialogs>();
        window_ = std::make_unique<MainWindow>(*dialogs_);
        window_->showMaximizedAtStart();
        window_->showNormal();
        window_->resize(800, 600);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        dialogs_->takeMessages();
    }
    void cleanup() { window_.reset(); }

    void aKeyRunsItsActionOnceWithTheMenuBarShown() {
        // The menu shortcuts and the window's keys come from one table: with the menu bar on the
        // screen Ctrl+Z is the Undo entry's, and it undoes one point, not two.
        window_.reset();
        window_ = std::make_unique<MainWindow>(*dialogs_, MainWindow::MenuBar::Shown);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QAction* undo = nullptr;
        for (QAction* action : window_->menuBar()->findChildren<QAction*>())
            if (action->text() == QStringLiteral("Undo")) undo = action;
        QVERIFY(undo);
        QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QSignalSpy undone(undo, &QAction::triggered);
        window_->chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        QCOMPARE(window_->measureState().segmentIndex, 2);
        QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(undone.count(), 1);
        QCOMPARE(window_->measureState().segmentIndex, 1);
        // The plus key, the Zoom In entry's shortcut, zooms in one step: one Zoom Out puts it back.
        const float before = window_->geometry().picture.width;
        QTest::keyClick(view(), Qt::Key_Plus);
        QVERIFY(window_->geometry().picture.width != before);
        QVERIFY(window_->triggerMenuEntry("View/Zoom Out"));
        QCOMPARE(window_->geometry().picture.width, before);
    }

    void onlyAChangeOfTheWorkMarksTheProject() {
        QVERIFY(!window_->project().projectModified());
        QCOMPARE(window_->shownTitle(), std::string("Untitled - Mouse Right Click for Menu"));
        QGuiApplication::clipboard()->clear();
        // Every command that changes no value of the project, each dialog cancelled.
        for (const char* item : {"Set Scale", "End Area/Line", "Undo Current Line", "Clear Area/Line",
                                 "Add Label", "Runoff Hydrogaph", "Help", "Cancel"}) {
            window_->chooseCommand(item);
            QTest::keyClick(view(), Qt::Key_Escape);
            QVERIFY2(!window_->project().projectModified(), item);
        }
        for (const char* item : {"Load Map File", "Save Map Image", "Clear Map Image", "Paste From Clipboard",
                                 "Copy to Clipboard", "Scroll/Zoom Speed", "Print", "Cancel"}) {
            window_->chooseCommand("Load/Save Map");
            dialogs_->queueAnswer(std::nullopt);
            window_->choosePicture(item);
            QVERIFY2(!window_->project().projectModified(), item);
        }
        for (const char* entry : {"File/Open Project...", "File/Save Project As...", "File/Locate Picture...",
                                  "File/Export Hydrograph CSV...", "File/New Project", "Edit/Undo"}) {
            dialogs_->queueAnswer(std::nullopt);
            QVERIFY(window_->triggerMenuEntry(entry));
            QVERIFY2(!window_->project().projectModified(), entry);
        }
        // The view: right click and Esc, wheel, keys, the pan/zoom control, a resize.
        QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(200, 150));
        QTest::keyClick(view(), Qt::Key_Escape);
        QWheelEvent wheel(QPointF(200, 150), view()->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, 360),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view(), &wheel);
        for (const auto key : {Qt::Key_Plus, Qt::Key_Left, Qt::Key_Up, Qt::Key_Minus})
            QTest::keyClick(view(), key);
        window_->panZoomRegionClick(brelvo::mapview::PanZoomRegion::Right);
        window_->resize(900, 640);
        QCoreApplication::processEvents();
        QVERIFY(!window_->project().projectModified());
        QVERIFY(dialogs_->takeMessages().size() >= 1);  // the clipboard and the export said why not

        // A point traced is a change; so is the scroll/zoom speed.
        window_->chooseCommand("Start Area");
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(100, 100));
        QVERIFY(marked());

        // Saved, then only the view moves (zoom mid-line, scroll, resize): still saved.
        QVERIFY(dir_.isValid());
        QVERIFY(window_->project().saveProjectFile(path("work.brelvo").toStdString()));
        QVERIFY(!window_->project().projectModified());
        for (const auto key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Down, Qt::Key_Right})
            QTest::keyClick(view(), key);
        window_->resize(820, 600);
        QCoreApplication::processEvents();
        QVERIFY(!window_->project().projectModified());
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(300, 200));
        QVERIFY(window_->project().projectModified());
    }

    void undoBringsAClearedLineBackWhereItWasOnThePicture() {
        traceTriangle();
        window_->chooseCommand("Add Label");
        const auto lines = window_->document().controls().line1;
        const auto listingText = window_->document().controls().text1.text;
        const auto state = window_->measureState();
        // Cleared on a zoomed view, brought back on another: the segments follow the picture.
        QTest::keyClick(view(), Qt::Key_Plus);
        window_->chooseCommand("Clear Area/Line");
        QCOMPARE(window_->measureState().lineNumber, 0);
        QVERIFY(!window_->document().controls().line1.at(0).visible);
        QTest::keyClick(view(), Qt::Key_Minus);
        const float scaleNow = window_->measureState().scaleX;
        QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->measureState().scaleX, scaleNow);  // the view's, not the one of the clear
        QCOMPARE(window_->measureState().lineNumber, 1);
        QCOMPARE(window_->measureState().areaText, state.areaText);
        QCOMPARE(window_->document().controls().text1.text, listingText);
        QVERIFY(window_->document().controls().label1.at(0).visible);
        QCOMPARE(window_->document().controls().line1.size(), lines.size());
        for (const auto& [index, segment] : lines) {
            QVERIFY(window_->document().controls().line1.at(index).visible);
            QVERIFY(qAbs(window_->document().controls().line1.at(index).x1 - segment.x1) < 0.01f);
            QVERIFY(qAbs(window_->document().controls().line1.at(index).y2 - segment.y2) < 0.01f);
        }
        // A clear followed by new work stays cleared: Undo takes the new line's points instead.
        window_->chooseCommand("Clear Area/Line");
        window_->chooseCommand("Start Stream Line");
        QTest::mouseClick(view(), Qt::LeftButton, {}, QPoint(50, 50));
        window_->chooseCommand("End Area/Line");
        QVERIFY(!window_->undo());
        QCOMPARE(window_->measureState().measureNumber, 1);
        QVERIFY(!window_->document().controls().label1.at(0).visible ||
                window_->document().controls().label1.at(0).caption != state.areaText);
    }

    void aMovedPictureIsLocatedAndTheWorkStays() {
        QVERIFY(dir_.isValid());
        const QString map = path("map.png"), moved = path("moved.png");
        QFile::remove(map);
        QFile::remove(moved);
        QVERIFY(
            QFile::copy(QString::fromStdString(brelvo::common::programFolder() + "/example_map.png"), map));
        window_->dropPictureFile(map.toStdString());
        window_->waitForPictureLoad();
        traceTriangle();
        QVERIFY(window_->project().saveProjectFile(path("basin.brelvo").toStdString()));
        const auto lines = window_->document().controls().line1;
        QVERIFY(QFile::rename(map, moved));

        // Opened: the picture is missing; the question offers to locate it; the file chosen shows.
        window_.reset();
        init();
        dialogs_->queueAnswer(std::string("Locate Picture..."));
        dialogs_->queueAnswer(moved.toStdString());
        QVERIFY(window_->project().openProjectFile(path("basin.brelvo").toStdString()));
        const auto messages = dialogs_->takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(messages[0]).contains(QStringLiteral("was not found")));
        QVERIFY(QString::fromStdString(messages[0]).contains(QStringLiteral("Locate Picture...")));
        QCOMPARE(QString::fromStdString(window_->captureProject().picturePath), moved);
        QVERIFY(window_->missingPicturePath().empty());
        QCOMPARE(window_->document().controls().line1, lines);
        QCOMPARE(window_->measureState().areaText, std::string("Area1= 4500000, Perimeter= 10243"));
        QVERIFY(window_->project().projectModified());  // the new place of the picture is a change to save

        // Cancelled: the project keeps naming the missing file; File -> Locate Picture... later.
        const QString far = path("far.png");
        QFile::remove(far);
        QVERIFY(window_->project().saveProjectFile(path("basin.brelvo").toStdString()));
        QVERIFY(QFile::rename(moved, far));
        QVERIFY(window_->project().openProjectFile(path("basin.brelvo").toStdString()));
        QCOMPARE(dialogs_->takeMessages().size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window_->missingPicturePath()), moved);
        QCOMPARE(QString::fromStdString(window_->captureProject().picturePath), moved);
        QVERIFY(!window_->project().projectModified());
        dialogs_->queueAnswer(far.toStdString());
        QVERIFY(window_->triggerMenuEntry("File/Locate Picture..."));
        QCOMPARE(QString::fromStdString(window_->captureProject().picturePath), far);
        QCOMPARE(window_->document().controls().line1, lines);
    }

    void anOlderProjectKeepsItsCoordinatesThroughAZoom() {
        // A triangle saved as a project of the format before the map origin was kept (no such keys).
        traceTriangle();
        QVERIFY(dir_.isValid());
        const QString file = path("older.brelvo");
        QVERIFY(window_->project().saveProjectFile(file.toStdString()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        QJsonObject measure = root["measureState"].toObject();
        QVERIFY(measure.contains(QStringLiteral("mapOriginPinned")));
        measure.remove(QStringLiteral("mapOrigin"));
        measure.remove(QStringLiteral("mapOriginPinned"));
        root["measureState"] = measure;
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(root).toJson());
        f.close();

        // Opened, zoomed twice and scrolled: a stream started at the triangle's first corner lists
        // that corner's coordinates, as before the zoom.
        init();
        QVERIFY(window_->project().openProjectFile(file.toStdString()));
        const QString firstCorner = listing()->toPlainText().section(QLatin1Char('\n'), 1, 1);
        QCOMPARE(firstCorner, QStringLiteral("1500, 7500"));
        for (const auto key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Left}) QTest::keyClick(view(), key);
        const auto& corner = window_->document().controls().line1.at(0);
        window_->chooseCommand("Start Stream Line");
        window_->mapMouseUp(MouseButton::Left, corner.x1 - window_->imageLeft(),
                            corner.y1 - window_->imageTop());
        // To single precision: the corner is carried through the zoom (7500.001, not 7500).
        const QStringList lines = listing()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("Stream X,Y Coordinates"));
        const QStringList xy = lines.last().split(QStringLiteral(", "));
        QCOMPARE(xy.size(), 2);
        QVERIFY2(qAbs(xy[0].toDouble() - 1500) < 0.01 && qAbs(xy[1].toDouble() - 7500) < 0.01,
                 qPrintable(lines.last()));
    }

    void theGuideAndAboutDescribeTheProgramAsItIs() {
        QTest::keyClick(view(), Qt::Key_F1);
        QVERIFY(window_->helpWindow());
        const QString guide = window_->helpWindow()->text();
        // Nothing of the old rules: no locked view, no "nothing is saved".
        QVERIFY(!guide.contains(QStringLiteral("Nothing is saved between runs")));
        QVERIFY(!guide.contains(QStringLiteral("stay where they are on the screen")));
        QVERIFY(!guide.contains(QStringLiteral("No resizing or scrolling after scale has been set")));
        // Projects, exports, keys, the wheel and the unlocked view.
        for (const char* text :
             {"PROJECTS AND EXPORTS", "Locate Picture...", "Export Hydrograph CSV...", "Export Chart...",
              "Export Report PDF...", "Export Calculation Report...", "2.9 Keys", "Ctrl+Z",
              "The mouse wheel zooms about the point under the pointer", "The view is never locked",
              "asks (Continue or Cancel)"}) {
            QVERIFY2(guide.contains(QString::fromLatin1(text)), text);
        }
        QVERIFY(window_->triggerMenuEntry("Help/About"));
        const auto about = dialogs_->takeMessages();
        QCOMPARE(about.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(about[0]).contains(QStringLiteral("project file")));
        QVERIFY(QString::fromStdString(about[0]).contains(QStringLiteral("F1")));
    }

    void theMapHasTheKeysWhileALineIsTraced() {
        window_->chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300)})
            QTest::mouseClick(view(), Qt::LeftButton, {}, p);
        QPlainTextEdit* text = listing();
        const QString threePoints = text->toPlainText();
        text->setFocus();
        QVERIFY(text->hasFocus());
        // Backspace and Ctrl+Z with the listing focused remove points; the listing is not edited.
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(window_->measureState().segmentIndex, 1);
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window_->measureState().segmentIndex, 0);
        QVERIFY(threePoints.startsWith(text->toPlainText()));
        QVERIFY(text->toPlainText().endsWith(QStringLiteral("1500, 7500\n")));
        // Typing does not reach the listing either; + zooms the map.
        const float scale = window_->measureState().scaleX;
        QTest::keyClicks(text, QStringLiteral("x"));
        QTest::keyClick(text, Qt::Key_Plus);
        QVERIFY(!text->toPlainText().contains(QLatin1Char('x')));
        QVERIFY(window_->measureState().scaleX < scale);

        // Out of a line the listing is a text box again: Backspace edits it.
        window_->chooseCommand("End Area/Line");
        text->show();
        text->setFocus();
        text->moveCursor(QTextCursor::End);
        const QString before = text->toPlainText();
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(text->toPlainText(), before.chopped(1));
    }
};

QTEST_MAIN(MainWindowWorkTest)
#include "main_window_work_test.moc"
