#pragma once
// When a decoded movie frame is due on screen. Frames keep the movie's own
// spacing from its first frame on, which is shown as soon as it is decoded:
// the presentation clock would hold back a first frame stamped late (an MP4
// whose B-frame delay the reader does not take off opens 133 ms into its
// clock at 15 frames a second), and the screen would stay blank that long.
namespace velora {

class FramePacing {
 public:
  // Times in 100 ns units; `now` from any steady clock. `rate` is the speed
  // the movie plays at (1 is normal). Answers the milliseconds to wait before
  // showing the frame stamped `sampleTime`: 0 for the first frame and for a
  // late one, which is shown at once.
  unsigned long WaitFor(long long sampleTime, long long now, double rate);

 private:
  bool started = false;
  long long firstSample = 0;
  long long firstShown = 0;
};

}  // namespace velora
