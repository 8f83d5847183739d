// The demo's root scenario, run by `make run`. It sets the window title,
// counts its runs in Config.sav, plays the title scene once and ends.
#include "scripts/demo_settings.csc"

OnBegin()
{
  System.Title = "T3D Player demo";
  runs = Storage.LoadNumber("Demo", "Runs", 0) + RUN_STEP;
  Storage.SaveValue("Demo", "Runs", runs);
  Scenario.SceneFile = "title.scn";
}

OnEndScene()
{
  // An empty scene name ends the scenario: OnEnd runs next.
  Scenario.SceneFile = empty;
}

OnEnd()
{
  Storage.SaveValue("Demo", "LastTitle", System.Title);
  Storage.SaveValue("Demo", "LuckyNumber", Math.Format1("%03.0f", System.Random(1, LUCKY_MAX)));
}
