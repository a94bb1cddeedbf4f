// Composing the frames of an animated GIF on its logical screen: frame
// placement, transparency, and the disposal of each frame before the next.
#pragma once
#include <stdint.h>

#include "pixels.h"

namespace pixload {

// What a frame's graphic control extension and image descriptor say.
struct GifFrameInfo {
  int left = 0;
  int top = 0;
  int delayCs = 0;   // centiseconds as stored
  int disposal = 0;  // 0, 1 keep; 2 restore background; 3 restore previous
};

// Milliseconds a frame stays: delays of 0 and 1 cs are shown as 10 cs, as
// browsers do.
int GifFrameDelayMs(int delayCs);

// The canvas a GIF's frames are drawn on. Starts transparent; a disposal to
// background clears the frame's rectangle to transparent.
class GifCanvas {
 public:
  GifCanvas(int width, int height);
  // Applies the previous frame's disposal, draws this frame (4-channel image,
  // alpha 0 where transparent) clipped to the canvas and returns the canvas.
  const Pixels& Draw(const GifFrameInfo& info, const Pixels& image);

 private:
  Pixels canvas_;
  Pixels saved_;
  int pendingDisposal_ = 0;
  int pendingLeft_ = 0, pendingTop_ = 0, pendingWidth_ = 0, pendingHeight_ = 0;
};

}  // namespace pixload
