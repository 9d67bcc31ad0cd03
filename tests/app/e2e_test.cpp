// End-to-end sessions: each script in tests/e2e is replayed against a fresh measuring window, and every
// dump it writes must contain the values of the matching line of its .expected file (a JSON object per
// dump holding only the keys that case checks; arrays and numbers compared exactly, texts exactly or,
// written "re:PATTERN", by a regular expression).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <sstream>

#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/program_folder.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;

namespace {

// Where `expected` differs from `actual`, a path and both values; empty when every expected key matches.
QString mismatch(const QJsonValue& expected, const QJsonValue& actual, const QString& path) {
    if (expected.isObject()) {
        if (!actual.isObject()) return path + ": expected an object";
        const QJsonObject e = expected.toObject(), a = actual.toObject();
        for (auto it = e.begin(); it != e.end(); ++it) {
            if (!a.contains(it.key())) return path + "." + it.key() + ": missing";
            const QString m = mismatch(it.value(), a.value(it.key()), path + "." + it.key());
            if (!m.isEmpty()) return m;
        }
        return {};
    }
    if (expected.isArray()) {
        if (!actual.isArray()) return path + ": expected an array";
        const QJsonArray e = expected.toArray(), a = actual.toArray();
        if (e.size() != a.size()) {
            return QStringLiteral("%1: %2 elements expected, %3 found: %4")
                .arg(path)
                .arg(e.size())
                .arg(a.size())
                .arg(QString::fromUtf8(QJsonDocument(a).toJson(QJsonDocument::Compact)));
        }
        for (int i = 0; i < e.size(); ++i) {
            const QString m = mismatch(e[i], a[i], QStringLiteral("%1[%2]").arg(path).arg(i));
            if (!m.isEmpty()) return m;
        }
        return {};
    }
    // An expected text "re:PATTERN" matches the whole actual text against a regular expression, for
    // results that are checked in part by hand (a volume and a loss, but not the peak they come with).
    if (expected.isString() && expected.toString().startsWith(QStringLiteral("re:"))) {
        const QRegularExpression re(QRegularExpression::anchoredPattern(expected.toString().mid(3)));
        if (actual.isString() && re.match(actual.toString()).hasMatch()) return {};
        return path + ": expected to match " + expected.toString().mid(3) + ", found " + actual.toString();
    }
    if (expected != actual) {
        auto text = [](const QJsonValue& v) {
            return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
        };
        return path + ": expected " + text(expected) + ", found " + text(actual);
    }
    return {};
}

}  // namespace

class EndToEnd : public QObject {
    Q_OBJECT

  private slots:
    void session_data() {
        QTest::addColumn<QString>("script");
        const QDir dir(QStringLiteral(BRELVO_E2E_DIR));
        const auto scripts = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        QVERIFY(!scripts.isEmpty());
        for (const QString& name : scripts) QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void session() {
        QFETCH(QString, script);
        QFile scriptFile(script);
        QVERIFY(scriptFile.open(QIODevice::ReadOnly));
        QString expectedName = script;
        expectedName.replace(QStringLiteral(".txt"), QStringLiteral(".expected"));
        QFile expectedFile(expectedName);
        QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedName));

        ScriptDialogs dialogs;
        MainWindow window(dialogs);
        window.showMaximizedAtStart();
        QApplication::processEvents();

        std::istringstream in(scriptFile.readAll().toStdString());
        std::ostringstream out, err;
        ScriptRunner runner(window, dialogs, out, err);
        const int status = runner.run(in, script.toStdString());

        // Texts that name the program's folder are written with a placeholder for it.
        const QString expectedText =
            QString::fromUtf8(expectedFile.readAll())
                .replace(QStringLiteral("@PROGRAM_FOLDER@"), QCoreApplication::applicationDirPath());
        const QStringList expectedLines = expectedText.split('\n', Qt::SkipEmptyParts);
        QStringList dumps;
        for (const QString& line : QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith('{')) dumps << line;
        }
        // A case may expect the run to stop at a line: its last expected line is {"exitStatus": N}.
        int expectedStatus = 0;
        QStringList checks;
        for (const QString& line : expectedLines) {
            if (line.startsWith('#')) continue;
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.size() == 1 && o.contains(QStringLiteral("exitStatus"))) {
                expectedStatus = o.value(QStringLiteral("exitStatus")).toInt();
            } else {
                checks << line;
            }
        }
        QCOMPARE(status, expectedStatus);

        // A case with a .report file checks the working hydrograph file byte for byte.
        QString reportName = script;
        reportName.replace(QStringLiteral(".txt"), QStringLiteral(".report"));
        if (QFile::exists(reportName)) {
            QFile expectedReport(reportName);
            QVERIFY(expectedReport.open(QIODevice::ReadOnly));
            QFile written(QString::fromStdString(brelvo::common::workingHydrographFile()));
            QVERIFY2(written.open(QIODevice::ReadOnly), qPrintable(written.fileName()));
            QCOMPARE(QString::fromLatin1(written.readAll()), QString::fromLatin1(expectedReport.readAll()));
        }
        QCOMPARE(dumps.size(), checks.size());
        for (int i = 0; i < checks.size(); ++i) {
            QJsonParseError error{};
            const QJsonDocument expected = QJsonDocument::fromJson(checks[i].toUtf8(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError,
                     qPrintable(expectedName + ": " + error.errorString()));
            const QJsonDocument actual = QJsonDocument::fromJson(dumps[i].toUtf8(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            const QString m =
                mismatch(expected.object(), actual.object(), QStringLiteral("dump%1").arg(i + 1));
            QVERIFY2(m.isEmpty(), qPrintable(m));
        }
    }
};

QTEST_MAIN(EndToEnd)
#include "e2e_test.moc"
