#pragma once

namespace pixmoth {

class TAboutBoxDlg;

// The main window's about box: Pixmoth's credits scrolling in white on navy,
// 44 ms per step, the window in navy text on white.
void SetUpPixmothAbout(TAboutBoxDlg& about);

} // namespace pixmoth
