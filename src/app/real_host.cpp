// The program's host.
#include "app/real_host.h"

RealHost::RealHost(Graphics& graphics, MainWindow& window, InputManager& input, SoundManager& sound)
    : input_(input), sound_(sound), renderer_(graphics), device_(graphics, renderer_.GetText()) {
  host_.clock = &clock_;
  host_.input = &input_;
  host_.device = &device_;
  host_.window = &window;
  host_.sound = &sound_;
  host_.drawing = &renderer_;
}
