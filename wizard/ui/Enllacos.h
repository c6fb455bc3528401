#pragma once
// The help, e-mail and web links of the wizard window: the help button and its caption open
// the host's help page, the e-mail button and its caption the Tag of cmd_email, the web
// picture the Tag of img_web (Tags are the property "tag", set from the literals).
#include <QWidget>

namespace ModTolvWiz {

void cmd_ayuda_Click();
void lbl_ayuda_Click();
void cmd_email_Click(QWidget* FrmTolvWiz);
void lbl_email_Click(QWidget* FrmTolvWiz);
void img_web_Click(QWidget* FrmTolvWiz);

// Ties the handlers to the window's controls found by name (cmd_ayuda, lbl_ayuda,
// cmd_email, lbl_email, img_web): a button by its clicked signal, any other control by a
// left click on it. A control the window lacks is passed over.
void ConnectarEnllacos(QWidget* FrmTolvWiz);

} // namespace ModTolvWiz
