// Qt message box, input box and file dialogs behind the dialogs port.
#include "app/qt_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include "common/messages.hpp"
#include "common/program_folder.hpp"

namespace brelvo::app {

QWidget* QtDialogs::dialogParent() const {
    // The window that has the focus: the one the user was working in when the dialog was asked for.
    if (const QWindow* focus = QGuiApplication::focusWindow()) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowHandle() == focus && window->isVisible()) return window;
        }
    }
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

void QtDialogs::message(const std::string& text) {
    QMessageBox::information(dialogParent(), QString::fromLatin1(common::msg::kProgramTitle),
                             QString::fromStdString(text), QMessageBox::Ok);
}

bool QtDialogs::confirm(const std::string& question, const std::string& goOn) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(common::msg::kProgramTitle),
                    QString::fromStdString(question), QMessageBox::NoButton, dialogParent());
    QPushButton* goOnButton = box.addButton(QString::fromStdString(goOn), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    // Cancel is the default: Enter or Esc keeps what is there.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == goOnButton;
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(
        dialogParent(), QString::fromStdString(title.empty() ? common::msg::kProgramTitle : title),
        QString::fromStdString(prompt), QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

QStringList QtDialogs::nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const int paren = name.indexOf('(');
        if (paren > 0) name = name.left(paren).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        if (patterns == "*.*") patterns = "*";
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters;
}

std::optional<std::string> QtDialogs::fileDialog(const common::FileDialogRequest& request) {
    const std::string title = !request.title.empty() ? request.title
                              : request.save         ? common::msg::kSaveAsTitle
                                                     : common::msg::kOpenTitle;
    QFileDialog dialog(dialogParent(), QString::fromStdString(title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(QString::fromStdString(request.initialDir));
    dialog.setNameFilters(nameFilters(request.filter));
    // The side bar offers the folders data files come from: the home folder, the program's folder, the
    // user's data folder and, for an installed program, its data folder with the examples.
    QList<QUrl> places{QUrl::fromLocalFile(QDir::homePath())};
    for (const std::string& folder :
         common::dataSearchFoldersFor(common::programFolder(), common::programFolder())) {
        if (QDir(QString::fromStdString(folder)).exists())
            places << QUrl::fromLocalFile(QString::fromStdString(folder));
    }
    dialog.setSidebarUrls(places);
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace brelvo::app
