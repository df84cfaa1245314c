#pragma once
// When a decoded movie frame is due on screen, and whether it is shown at all.
// The first frame is shown as soon as it is decoded: Wine's MP4 reader stamps
// the first picture 133 ms into the movie (the B-frame delay it leaves in),
// and holding it back would open every movie on a blank screen that long.
// Every later frame is due when the movie's clock reaches its stamp: the
// presentation clock the session runs, which is the sound's own where sound
// plays, so that the picture keeps to what is heard (output delay and drift
// included). Without sound, the clock is counted from the first frame, as the
// movie then has nothing else to keep to; where the session gives no clock, a
// steady one is. A
// frame more than one frame late is dropped so that the picture catches up,
// but never so many that the picture stands still.
namespace velora {

struct FrameClock {
  bool running = false;     // the presentation clock runs and told its time
  long long movieTime = 0;  // its time: the movie's position
  long long steadyTime = 0;  // a steady clock's, for every frame
  bool heard = false;       // the clock is the sound's
};

class FramePacing {
 public:
  static constexpr long long kDrop = -1;

  // Times in 100 ns units; `duration` is the frame's (0 when unknown), `rate`
  // the speed the movie plays at (1 is normal). Answers the real time to wait
  // before showing the frame stamped `sampleTime`, 0 to show it now, or kDrop.
  // A caller that waits asks again after its wait.
  long long WaitFor(long long sampleTime, long long duration, const FrameClock& now, double rate);
  unsigned long Dropped() const { return dropped; }

 private:
  bool started = false;
  long long firstSample = 0;
  long long firstClock = 0;
  long long firstShown = 0;
  long long lastShown = 0;
  unsigned long dropped = 0;
};

}  // namespace velora
