// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide: Markdown files in the program folder (guide/guide_en.md, guide/guide_zh.md, with
// the pictures of the windows beside them), shown in a window of its own in the chosen language.
#pragma once

#include "app/app_state.h"

#include <QDialog>
#include <QString>

class QPushButton;
class QTextBrowser;

namespace zt {

class FrmUserGuide : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmUserGuide";

    explicit FrmUserGuide(const AppState& app, QWidget* parent = nullptr);

    // Shows the guide file at `path` (its pictures are found beside it); false when it cannot be read.
    bool Load(const QString& path);
    QString LoadedPath() const { return loaded_; }
    QTextBrowser* Browser() const { return browser_; }
    QPushButton* cmdClose() const { return close_; }

  private:
    QTextBrowser* browser_ = nullptr;
    QPushButton* close_ = nullptr;
    QString loaded_;
};

// The guide file of the chosen language in the program folder.
QString UserGuidePath(const AppState& app);

// Opens the guide in the chosen language, or brings the open one to the front (showing the chosen
// language again when it changed). When the guide file is missing or unreadable the user is told
// which file, and nothing opens. Returns the guide window or nullptr.
FrmUserGuide* ShowUserGuide(AppState& app, QWidget* parent);

} // namespace zt
