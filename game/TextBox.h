#pragma once

#include <string>
#include <vector>

#include "world/Object.h"

/// A framed box near the bottom of the screen that types out messages one character at a time.
class TextBox : public nv::Object {
public:
    /// Shows the messages in order; with none, the box removes itself at once.
    explicit TextBox(std::vector<std::string> new_messages);
    ~TextBox() override;

    /// Reveals characters on "nv-step" and advances on Z or Enter; 1 for events used, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws the frame, the revealed text and the blinking marker at a fixed place on screen; always 0.
    int draw() override;

    /// Cuts the current message into lines that fit the frame and counts its characters.
    void wrapCurrentMessage();

    /// The messages shown in turn.
    const std::vector<std::string> &getMessages() const { return messages; }
    /// Index of the message being shown.
    int getCurrentMessage() const { return current_message; }
    /// The current message cut into lines.
    const std::vector<std::string> &getLines() const { return lines; }
    /// Characters revealed so far.
    int getShownChars() const { return shown_chars; }
    /// Characters to reveal for the current message.
    int getTotalChars() const { return total_chars; }
    /// Steps since the current message started.
    int getStepCount() const { return step_count; }
    /// Outer width of the frame.
    int getWidth() const { return width; }
    /// Outer height of the frame.
    int getHeight() const { return height; }
    /// Left column of the frame on screen.
    int getLeft() const { return left; }
    /// Top row of the frame on screen.
    int getTop() const { return top; }
    /// Label of the sound played per revealed character ("" for none).
    void setSoundLabel(std::string new_sound_label) { sound_label = new_sound_label; }

private:
    std::vector<std::string> messages;
    int current_message;
    std::vector<std::string> lines;
    std::string prefix;
    int shown_chars;
    int total_chars;
    int char_delay;
    int char_countdown;
    int pause_countdown;
    int step_count;
    int width;
    int height;
    int left;
    int top;
    std::string sound_label;
};
