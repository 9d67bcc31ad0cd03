// The help window: the guide as plain text, searchable.
#include "app/help_window.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

#include "common/data_file.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QString::fromLatin1(common::msg::kHelpWindowTitle));
    auto* layout = new QVBoxLayout(this);
    auto* findRow = new QHBoxLayout;
    findBox_ = new QLineEdit(this);
    findBox_->setPlaceholderText(QString::fromLatin1(common::msg::kHelpFindPlaceholder));
    findBox_->setClearButtonEnabled(true);
    auto* next = new QPushButton(QString::fromLatin1(common::msg::kHelpFindNext), this);
    findRow->addWidget(findBox_);
    findRow->addWidget(next);
    layout->addLayout(findRow);
    browser_ = new QTextBrowser(this);
    browser_->setReadOnly(true);
    browser_->setOpenLinks(false);
    browser_->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    browser_->setFont(mono);
    layout->addWidget(browser_);
    connect(findBox_, &QLineEdit::returnPressed, this, [this] { find(findBox_->text()); });
    connect(next, &QPushButton::clicked, this, [this] { find(findBox_->text()); });
    resize(760, 640);
}

void HelpWindow::load(const QString& path) {
    // A guide replaced by a folder or a device is refused before it is read, and a huge one is not read.
    std::string text;
    try {
        text = common::readDataFile(path.toStdString(), common::kMaxProjectFileBytes);
    } catch (const common::RuntimeFailure&) {
        browser_->setPlainText(QString::fromLatin1(common::msg::kHelpTextMissing) + path);
        return;
    }
    // The guide is a single-byte text file.
    browser_->setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

bool HelpWindow::find(const QString& text) {
    if (text.isEmpty()) return false;
    if (browser_->find(text)) return true;
    QTextCursor top = browser_->textCursor();
    top.movePosition(QTextCursor::Start);
    browser_->setTextCursor(top);
    return browser_->find(text);
}

QString HelpWindow::text() const {
    return browser_->toPlainText();
}

}  // namespace brelvo::app
