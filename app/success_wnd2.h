// CHSuccessWnd2: the uninstall-finished window, a 670 x 400 skinned frame
// with a thank-you text, an icon and the button "完成". "完成", the
// frame's close button and closing the window end the process with exit code
// 0.
#ifndef BRINDLE_APP_SUCCESS_WND2_H_
#define BRINDLE_APP_SUCCESS_WND2_H_

#include "setup/product.h"
#include "ui/framework/ui_frame_window.h"

inline constexpr int kSuccessWindow2Width = 670;
inline constexpr int kSuccessWindow2Height = 400;

class CHSuccessWnd2 : public UIFrameWindow {
 public:
  CHSuccessWnd2();
  ~CHSuccessWnd2() override;

  // Commands 1000 (close) and 1002 ("完成") end the process with exit code
  // 0; any other returns 0 and does nothing.
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override;
  // Strips the caption bits, layers the window, sizes it (670 x 400 at 96 DPI, scaled) and
  // centres it.
  LRESULT HandleCreate(WPARAM wparam, LPARAM lparam) override;
  // Closing the window (Alt+F4, any WM_CLOSE) ends the process as the close
  // button does, exit code 0; the window is not destroyed.
  LRESULT HandleClose(WPARAM wparam, LPARAM lparam) override;
  // The frame's skin, then the text "SuccessWindow2/Label1", the button
  // "SuccessWindow2/ButtonOK" and the icon "SuccessWindow2/Icon". Returns
  // true.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;

  // The language of the texts; set before LoadSkin (default Chinese).
  void set_language(const Language& language) { language_ = language; }

 private:
  Language language_;
};

#endif  // BRINDLE_APP_SUCCESS_WND2_H_
