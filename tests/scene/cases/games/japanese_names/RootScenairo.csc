// Every file of this game is named in Shift-JIS by its content and in UTF-8
// on the disk, as tools that unpack a Windows game on Linux write the names:
// the scene, the class it loads, the class's model, and the music.
OnBegin()
{
  Sound.LoadMusic(1, "音楽.ogg");
  Scenario.SceneFile = "ステージ.scn";
}
OnEndScene()
{
  Test.Log("scene ended at " + Test.Frame());
  Scenario.SceneFile = empty;
}
