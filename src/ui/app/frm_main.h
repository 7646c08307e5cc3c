// The main window: an MDI frame whose child windows are the editors. Child windows are opened
// through one open-or-focus step and found again by their names.
#pragma once

#include "channels/channel_editor.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace zt {

class frmMain : public QMainWindow, public ChannelHost {
    Q_OBJECT
  public:
    frmMain(AppState& app, Document& doc, QWidget* parent = nullptr);
    ~frmMain() override;

    // Opens the child window `name`, or gives it the focus when it is open.
    QWidget* ShowChildWindow(const QString& name);
    bool FindWindowByName(const QString& name) const;
    QWidget* ChildByName(const QString& name) const;
    void CloseCurAllWindows();
    // Makes the channel grid store its pending cell edit.
    void SetSaveEditData();
    // Opens the editing habits dialog after the menu has closed.
    void MnuCHHabits_Click();

    void ShowCHInfo(bool show) override;
    void LoadTree() override {}
    void ShowEditWindow() override;

    ChannelEditor& channels() { return channels_; }
    QMdiArea* mdiArea() const { return mdi_; }
    QAction* habitsAction() const { return habitsAction_; }
    QMenu* channelEditMenu() const { return chEditMenu_; }
    QTimer& TimerCHEdit() { return timerCHEdit_; }

  protected:
    // Shut-down: a half-typed channel edit is stored first, then a changed document may be saved.
    void closeEvent(QCloseEvent* e) override;

  private:
    bool saveBeforeClose();
    void onTimerCHEdit();
    void onSubWindowActivated(QMdiSubWindow* w);
    QWidget* createChild(const QString& name);

    AppState& app_;
    Document& doc_;
    ChannelEditor channels_;
    QMdiArea* mdi_ = nullptr;
    QMenu* chEditMenu_ = nullptr;
    QAction* habitsAction_ = nullptr;
    QAction* habitsSeparator_ = nullptr;
    QTimer timerCHEdit_;
    QPointer<QWidget> lastActive_;
    enum class Pending { None, Habits } pending_ = Pending::None;
};

} // namespace zt
