#pragma once

#include <string>

#include "display/Color.h"
#include "world/Object.h"

class Glyphcage;

/// Step time the prisoner has before the boiler turns on, in milliseconds.
const int BOILER_TIME = 60000;
/// Step time between the boiler turning on and the capture, in milliseconds.
const int PASS_OUT_TIME = 1000;

/// Counts the level's 60 s down; when it runs out the prisoner freezes and is captured a second later.
class BoilerTimer : public nv::Object {
public:
    /// A spectral timer on the top layer with the full time left, listening to the step.
    explicit BoilerTimer(Glyphcage *new_controller);
    ~BoilerTimer() override;

    /// Ticks on "nv-step" (1); 0 for anything else.
    int eventHandler(const nv::Event *p_e) override;
    /// Shows the seconds left at the top right while playing; always 0.
    int draw() override;

    /// Counts one step of nominal frame time down, freezing the prisoner and then losing the level when it runs out.
    void tick();

    /// The countdown as shown: "BOILER TURNING ON: " followed by the started seconds left and "s".
    static std::string countdownText(int time_left_ms);
    /// RED once 15 seconds or fewer are shown, YELLOW before.
    static nv::Color countdownColor(int time_left_ms);

    /// Milliseconds until the boiler turns on.
    int getTimeLeft() const { return time_left; }
    /// Milliseconds from the boiler turning on to the capture.
    int getPassOutLeft() const { return pass_out_left; }
    /// True once the time has run out.
    bool isBoilerOn() const { return boiler_on; }

private:
    Glyphcage *controller;
    int time_left;
    int pass_out_left;
    bool boiler_on;
};
