// The fade with which a setup window leaves the screen when the next one
// takes over.
#ifndef BRINDLE_APP_FADE_OUT_H_
#define BRINDLE_APP_FADE_OUT_H_

class UIObject;

// Fades the layered host `window` from constant alpha 254 down to 4 in steps
// of 25 (eleven updates, 30 ms apart, about 300 ms on the calling thread with
// no messages handled meanwhile), then shrinks it to 1 x 1 pixel and
// repaints it. The window is neither hidden nor destroyed. A window that is
// not layered, or is being laid out, only waits and shrinks.
void FadeOut(UIObject* window);

#endif  // BRINDLE_APP_FADE_OUT_H_
