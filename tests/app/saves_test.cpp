// Every kind of save through the real windows: a read-only file is refused by name and keeps its bytes
// (for root too, who may write any file), a symbolic link is written through to its file and stays a link,
// a map picture that cannot be saved says why; and the save dialogs open in the project's folder with a
// name from the project or the title.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/dialog_folders.hpp"
#include "common/program_folder.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
namespace fs = std::filesystem;

namespace {

// A traced area on the example map and a computed hydrograph: something for every kind of save.
const char* const kSession = R"(resize 800 600
menu "Load/Save Map"
answer "PICTURE"
picture "Load Map File"
menu "Start Area"
click 1000 1000
click 4000 1000
click 4000 4000
menu "End Area/Line"
menu "Runoff Hydrogaph"
type txtBasinArea "1"
check chkAutoTimeStep off
type txtLag "2"
leave txtLag
type txtTitle "Creek at the mill"
choose ComboRain "Average"
choose ComboDimgraph "Triangle Unit Graph"
button Form3.Command1
)";

// How each kind of save is started, once its answer is queued.
struct SaveKind {
    const char* extension;
    const char* lines;
};
const SaveKind kKinds[] = {
    {".brelvo", "action \"File/Save Project As...\"\n"},
    {".jpg", "menu \"Load/Save Map\"\npicture \"Save Map Image\"\n"},
    {".bmp", "menu \"Load/Save Map\"\npicture \"Save Map Image\"\n"},
    {".txt", "rpress Text1\n"},
    {".GRF", "button Form3.Command3\n"},
    {".csv", "action \"File/Export Hydrograph CSV...\"\n"},
    {".png", "action \"File/Export Chart...\"\n"},
    {".pdf", "action \"File/Export Report PDF...\"\n"},
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Script dialogs that also keep every file dialog's request.
class RecordingScriptDialogs : public ScriptDialogs {
  public:
    std::vector<brelvo::common::FileDialogRequest> requests;
    std::optional<std::string> fileDialog(const brelvo::common::FileDialogRequest& request) override {
        requests.push_back(request);
        return ScriptDialogs::fileDialog(request);
    }
};

}  // namespace

class SavesTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    RecordingScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    std::string path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    int replay(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out, err;
        ScriptRunner runner(*window_, dialogs_, out, err);
        const int status = runner.run(in, "saves_test");
        if (status != 0) qWarning("%s", err.str().c_str());
        return status;
    }
    void save(const SaveKind& kind, const std::string& target) {
        QCOMPARE(replay("answer \"" + target + "\"\n" + kind.lines), 0);
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        brelvo::common::dialogFolders().clear();
        const std::string picture = path("map.png");
        fs::remove(picture);
        fs::copy_file(brelvo::common::programFolder() + "/example_map.png", picture);
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->showMaximizedAtStart();
        window_->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        std::string session = kSession;
        session.replace(session.find("PICTURE"), 7, picture);
        QCOMPARE(replay(session), 0);
        const auto messages = dialogs_.takeMessages();
        for (const auto& m : messages) qWarning("message: %s", m.c_str());
        QVERIFY(messages.empty());
    }
    void cleanup() {
        window_.reset();
        brelvo::common::dialogFolders().clear();
    }

    void everyKindRefusesAReadOnlyFileByName() {
        for (const SaveKind& kind : kKinds) {
            const std::string target = path(std::string("read-only") + kind.extension);
            writeAll(target, "kept");
            fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
            save(kind, target);
            const std::string expected =
                std::string(kind.extension) == ".brelvo"
                    ? "The project could not be saved as \"" + target +
                          "\": the file is read-only. A file that was there is unchanged."
                    : "The file \"" + target + "\" was not saved: the file is read-only.";
            QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{expected});
            QCOMPARE(readAll(target), std::string("kept"));
        }
    }

    void everyKindWritesThroughALink() {
        fs::create_directory(path("real"));
        for (const SaveKind& kind : kKinds) {
            const std::string file = path(std::string("real/saved") + kind.extension);
            const std::string link = path(std::string("link") + kind.extension);
            writeAll(file, "old");
            fs::create_symlink(file, link);
            save(kind, link);
            QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
            QVERIFY2(fs::is_symlink(link), kind.extension);
            const std::string bytes = readAll(file);
            QVERIFY2(bytes.size() > 3 && bytes != "old", kind.extension);
        }
        QCOMPARE(
            static_cast<int>(std::distance(fs::directory_iterator(path("real")), fs::directory_iterator())),
            8);
    }

    void mapPicturesThatCannotBeSavedSaySo() {
        fs::create_directory(path("a folder.jpg"));
        const SaveKind& jpeg = kKinds[1];
        const SaveKind& bitmap = kKinds[2];
        fs::create_symlink("/dev/full", path("full.jpg"));
        save(jpeg, path("a folder.jpg"));
        save(jpeg, path("missing/map.jpg"));
        save(bitmap, path("missing/map.bmp"));
        save(jpeg, path("full.jpg"));
        // Printed without a printer: the PDF file is saved like the others.
        writeAll(path("printed.pdf"), "kept");
        fs::permissions(path("printed.pdf"), fs::perms::owner_read);
        save(SaveKind{".pdf", "menu \"Load/Save Map\"\npicture \"Print\"\n"}, path("printed.pdf"));
        QCOMPARE(dialogs_.takeMessages(),
                 (std::vector<std::string>{
                     "The file \"" + path("a folder.jpg") + "\" was not saved: a folder has that name.",
                     "The file \"" + path("missing/map.jpg") + "\" was not saved: its folder does not exist.",
                     "The file \"" + path("missing/map.bmp") + "\" was not saved: its folder does not exist.",
                     "The file \"" + path("full.jpg") + "\" was not saved: it is not a regular file.",
                     "The file \"" + path("printed.pdf") + "\" was not saved: the file is read-only."}));
        QCOMPARE(readAll(path("printed.pdf")), std::string("kept"));
        QVERIFY(!fs::exists(path("missing")));
    }

    void saveDialogsOpenInTheProjectsFolderWithItsName() {
        fs::create_directory(path("documents"));
        fs::create_directory(path("job"));
        brelvo::common::dialogFolders().setDocuments(path("documents"));
        dialogs_.requests.clear();
        // No project file yet: the documents folder, and the title's name.
        for (const SaveKind& kind : kKinds) QCOMPARE(replay(std::string("answer cancel\n") + kind.lines), 0);
        save(kKinds[0], path("job/Mill Creek.brelvo"));
        for (const SaveKind& kind : kKinds) QCOMPARE(replay(std::string("answer cancel\n") + kind.lines), 0);
        dialogs_.takeMessages();

        const auto& r = dialogs_.requests;
        QCOMPARE(r.size(), std::size_t{17});
        const char* before[] = {"Untitled.brelvo",       "Brelix1.jpg",           "Brelix1.jpg",
                                "BrelixData1.txt",       "Creek at the mill.GRF", "Creek at the mill.csv",
                                "Creek at the mill.png", "Creek at the mill.pdf"};
        const char* after[] = {
            "Mill Creek.brelvo", "Mill Creek.jpg", "Mill Creek.jpg", "Mill Creek coordinates.txt",
            "Mill Creek.GRF",    "Mill Creek.csv", "Mill Creek.png", "Mill Creek.pdf"};
        for (std::size_t i = 0; i < 8; ++i) {
            QCOMPARE(r[i].fileName, std::string(before[i]));
            QCOMPARE(r[i].initialDir, path("documents"));
            QCOMPARE(r[9 + i].fileName, std::string(after[i]));
            QCOMPARE(r[9 + i].initialDir, path("job"));
        }
    }
};

QTEST_MAIN(SavesTest)
#include "saves_test.moc"
