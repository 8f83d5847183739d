// The pad and keys of the input manager reach the scene's input hook, its
// loop and the Input class; the Sound class of both engines, Cast.PlaySound
// and the sound action of a class hook reach the sound manager, +1 the right speaker.
OnBegin()
{
  Sound.SoundVolume = 0.5;
  Sound.LoadSound("STEP", "step.wav");
  Scenario.SceneFile = "stage.scn";
}
OnEndScene()
{
  Test.Log("scene ended at " + Test.Frame());
  Scenario.SceneFile = empty;
}
