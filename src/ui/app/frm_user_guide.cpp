// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_user_guide.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <vector>

namespace zt {

namespace {

constexpr int kCaptionText = 34401; // "User Guide"
constexpr int kMissingText = 34402; // "The user guide cannot be opened:"
constexpr int kCloseText = 9023;    // "Close"

constexpr int kWidestPicture = 760; // pixels; wider pictures are shown scaled down to this width

// The anchor a heading's link points at ("#reading-and-writing-the-radio"): its text in lower case,
// blanks as hyphens, letters (of any script), digits, hyphens and underscores kept, the rest dropped.
QString HeadingAnchor(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == '-' || c == '_')
            anchor += c;
        else if (c.isSpace())
            anchor += '-';
    }
    return anchor;
}

// Gives each heading its anchor, so that the contents links lead to it, and scales pictures wider
// than the window down, keeping their proportions.
void PrepareGuide(QTextDocument* doc, const QString& folder) {
    struct Change {
        int from, to;
        QTextCharFormat format;
        bool merge;
    };
    std::vector<Change> changes; // applied after the walk, which they would disturb
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0) {
            QTextCharFormat anchor;
            anchor.setAnchor(true);
            anchor.setAnchorNames({HeadingAnchor(block.text())});
            changes.push_back({block.position(), block.position() + block.length() - 1, anchor, true});
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture(QDir(folder).filePath(image.name()));
            if (picture.width() <= kWidestPicture)
                continue;
            image.setWidth(kWidestPicture);
            image.setHeight(double(picture.height()) * kWidestPicture / picture.width());
            changes.push_back({fragment.position(), fragment.position() + fragment.length(), image, false});
        }
    }
    QTextCursor cursor(doc);
    for (const Change& c : changes) {
        cursor.setPosition(c.from);
        cursor.setPosition(c.to, QTextCursor::KeepAnchor);
        if (c.merge)
            cursor.mergeCharFormat(c.format);
        else
            cursor.setCharFormat(c.format);
    }
}

// The browser of the guide: every document it shows, also the one a contents link loads again,
// gets its anchors and scaled pictures before it scrolls to the link's heading.
class GuideBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;

  protected:
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override {
        QTextBrowser::doSetSource(url, type);
        PrepareGuide(document(), QFileInfo(url.toLocalFile()).absolutePath());
        if (url.hasFragment())
            scrollToAnchor(url.fragment());
    }
};

// Why the guide file at `path` cannot be read (the system's reason), or empty when it can.
QString Unreadable(const QString& path) {
    if (QFileInfo(path).isDir())
        return QStringLiteral("Is a directory");
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString() : f.errorString();
}

} // namespace

FrmUserGuide::FrmUserGuide(const AppState& app, QWidget* parent) : QDialog(parent) {
    setObjectName(kName);
    // A window beside the main window, not a modal dialog: the user reads while working.
    setWindowFlag(Qt::Window);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(app.LangText(kCaptionText)));
    browser_ = new GuideBrowser(this);
    browser_->setObjectName("txtGuide");
    browser_->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(this);
    close_ =
        buttons->addButton(QString::fromStdString(app.LangText(kCloseText)), QDialogButtonBox::RejectRole);
    close_->setObjectName("CommandClose");
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(900, 700);
}

bool FrmUserGuide::Load(const QString& path) {
    if (!Unreadable(path).isEmpty())
        return false;
    // The browser reads the file itself, so that the pictures and links resolve beside it.
    browser_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                        QTextDocument::MarkdownResource);
    loaded_ = path;
    return true;
}

QString UserGuidePath(const AppState& app) {
    const char* file = app.LanguageCode == 2 ? "guide_zh.md" : "guide_en.md";
    return QString::fromStdString(app.ProgramDir) + "/guide/" + file;
}

FrmUserGuide* ShowUserGuide(AppState& app, QWidget* parent) {
    const QString path = UserGuidePath(app);
    FrmUserGuide* guide = parent != nullptr ? parent->findChild<FrmUserGuide*>(FrmUserGuide::kName) : nullptr;
    const bool fresh = guide == nullptr;
    if (fresh)
        guide = new FrmUserGuide(app, parent);
    else { // the language may have changed since it opened
        guide->setWindowTitle(QString::fromStdString(app.LangText(kCaptionText)));
        guide->cmdClose()->setText(QString::fromStdString(app.LangText(kCloseText)));
    }
    if (guide->LoadedPath() != path && !guide->Load(path)) {
        if (fresh)
            delete guide;
        app.prompter->message(app.LangText(kMissingText) + "\n" + path.toStdString() + "\n" +
                                  Unreadable(path).toStdString(),
                              Icon::Warning);
        return nullptr;
    }
    guide->show();
    guide->raise();
    guide->activateWindow();
    return guide;
}

} // namespace zt
