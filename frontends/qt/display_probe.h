#pragma once
// Whether Qt will find a display to show the window on. Qt ends the process with an abort when
// its platform plugin cannot open one, so the viewer asks first and exits with a message.
#include <string>

namespace telorad::qt {

class DisplayProbe {
  public:
    DisplayProbe();
    ~DisplayProbe();
    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;

    // Empty when a display is there (or the chosen Qt platform needs none, as "offscreen"
    // does); otherwise one line saying what is missing.
    const std::string& Problem() const { return problem_; }

  private:
    // The probe's own connection stays open while the probe lives, so that an X server whose
    // last client leaves does not reset just as Qt connects. Keep the probe until Qt is up.
    void* connection_ = nullptr;
    std::string problem_;
};

}  // namespace telorad::qt
