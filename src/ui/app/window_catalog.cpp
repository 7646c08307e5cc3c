// The child windows the main window can open, by name: the one place where a window is made
// known to the menus, the toolbar and the tree.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "link/frm_radio_info.h"
#include "link/radio_link.h"

namespace zt {

void frmMain::registerWindows() {
    RegisterWindow(frmCommChInfo::kName, [this] { return new frmCommChInfo(channels_); });
    RegisterWindow(FrmCHInfoEdit::kName, [this] { return new FrmCHInfoEdit(channels_); });
    RegisterWindow(FrmRadioInfo::kName, [this] { return new FrmRadioInfo(app_, doc_, *info_, this); });
    InstallRadioLink(*this, app_, doc_);
}

} // namespace zt
