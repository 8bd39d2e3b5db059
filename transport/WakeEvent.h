#pragma once

namespace ms1 {

// A descriptor one thread sleeps on in poll() and another makes readable: an eventfd. It
// stays readable from Signal until Drain.
class WakeEvent {
  public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // False when the system gave no descriptor.
    bool Valid() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Signal();
    void Drain();
    // Sleeps until the event is readable (it stays so).
    void Wait();

  private:
    int fd_;
};

}  // namespace ms1
