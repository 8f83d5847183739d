// GameScene: the scene of this game, in which the player's archer "Vorani"
// side-steps, looks around, aims and shoots arrows while the cast "Camera"
// follows. Its own four-character actions stand beside the scene's built-in
// ones in Commands of keys, case records and hooks. Start-up makes the one
// scene a GameScene.
#pragma once

#include "scene/scene.h"

class GameScene : public Scene {
 public:
  // "PSST" side-step, "MVCM" camera follow, "SCBK" camera pull, "SHOT"
  // release, "AROW" arrow flight, "LOOK" head aim, "AIM_" aim assistance,
  // "SWAL" aim and path, "TRGT" target test. 0, or 36 for a parameter of the
  // wrong kind (nothing changed); other codes do nothing. An action without
  // its cast does nothing.
  int OnUserCommand(const Command& command, Cast* cast) override;
};
