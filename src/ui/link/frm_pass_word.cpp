// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_pass_word.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zt {

FrmPassWord::FrmPassWord(const AppState& app, const std::string& password, QWidget* parent)
    : FormDialog(app, kName, parent), password_(password) {
    setWindowTitle(T(23100));
    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text1_->setMaxLength(4);
    text1_->setAccessibleName(T(23101));
    text1_->setText(QString::fromLatin1(password.data(), static_cast<int>(password.size())));
    // What is typed is hidden, as in any password box, unless the user asks to see it.
    text1_->setEchoMode(QLineEdit::Password);
    QLabel* label = addRow(text1_, "Label1");
    label->setText(T(23101));
    show_ = new QCheckBox(T(34204), this);
    show_->setObjectName("CheckShow");
    addWideRow(show_);
    connect(show_, &QCheckBox::toggled, this,
            [this](bool on) { text1_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
    connect(CommandOK(), &QPushButton::clicked, this, [this] {
        password_ = Trimmed(text1_->text().toLatin1().toStdString());
        accept();
    });
}

std::string FrmPassWord::Trimmed(const std::string& typed) {
    std::string s = typed.substr(0, typed.find('\0'));
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace zt
