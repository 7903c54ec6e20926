// Registration of the edit and widget controls with the element factory, so
// that CreateElement makes them: UIPane (kind 1), UIToolBar (3), UITabCtrl
// (4), UIListView (6), UIScrollBar (7), UIHeader (8), UIDropButton (14) and
// UIEditBox (15). CXEdit is created directly by its owner. Call once on the
// user-interface thread before the first CreateElement of these kinds;
// calling it again changes nothing.
#ifndef BRINDLE_UI_CONTROLS_WIDGET_KINDS_H_
#define BRINDLE_UI_CONTROLS_WIDGET_KINDS_H_

void RegisterWidgetKinds();

#endif  // BRINDLE_UI_CONTROLS_WIDGET_KINDS_H_
