// The child windows the main window can open, by name: the one place where a window is made
// known to the menus, the toolbar and the tree.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"

namespace zt {

void frmMain::registerWindows() {
    RegisterWindow(frmCommChInfo::kName, [this] { return new frmCommChInfo(channels_); });
    RegisterWindow(FrmCHInfoEdit::kName, [this] { return new FrmCHInfoEdit(channels_); });
}

} // namespace zt
