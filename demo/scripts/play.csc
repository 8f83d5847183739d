// The run: from the start up the ramp, across the gap on the moving platform
// to the flag, against the clock. The best time is kept in Config.sav.
#include "scripts/common.csc"

// The platform crosses the gap in PLATFORM_FRAMES at PLATFORM_STEP a frame,
// and waits PLATFORM_WAIT frames at each end.
#define PLATFORM_STEP 4
#define PLATFORM_FRAMES 100
#define PLATFORM_WAIT 40

// States of the run.
#define RUNNING 1
#define FINISHED 2

// Where the flag stands: the run ends on the far block within this of it.
#define GOAL_Z 1850
#define GOAL_Y 150
// Past the first block's far edge and this low, the runner is down on the grass.
#define FALL_Z 800
#define FALL_Y 50

PlatformMove(id, step, b, c)
{
  $platform.StartMoving(0, 0, step, 0, 0, 0, PLATFORM_FRAMES);
  Scene.SetTimer(PLATFORM_FRAMES + PLATFORM_WAIT, 1, "PlatformMove", 0 - step, 0, 0);
}

ShowTime()
{
  Scene.PutCharacters(1, FONT, Scene.GetString(9) + Math.Format1("%.1f", $frames / 30), WHITE,
                      24, 36, 24, 36, 0.7, 0.7, 0, 0, 1, 0);
}

PlayBegin()
{
  $hero = Scene.GetCast("Hero");
  $platform = Scene.GetCast("Platform");
  $camera = Scene.GetCast("Camera");
  $state = RUNNING;
  $frames = 0;
  // The runs started, kept beside the best time.
  Storage.SaveValue("Demo", "Runs", Storage.LoadNumber("Demo", "Runs", 0) + 1);
  // The camera follows the runner: pose 0 at full weight, made by the follow.
  $camera.SetParam(3, 1);
  $camera.SetParam(4, 0);
  $camera.SetParam(9, 0);
  $camera.RotatePitch(12);
  Scene.SwitchCamera($camera, 0, 0, 0);
  Scene.ClearColor = 0xFF6FA8DC;
  Input.SetJoyMask(0, 0xFFFFFFFF);
  Scene.AddFadeEffect(30, 0, 30, BLACK, CLEAR, 0);
  Scene.LoadCharacterSet(FONT, "text/font.chr");
  Scene.LoadStringList("text/strings.txt");
  PutCentred(0, 3, YELLOW, 160, 1.2, 20);
  Scene.SetTimer(60, 2, "HideBanner", 0, 0, 0);
  Scene.SetTimer(PLATFORM_WAIT, 1, "PlatformMove", PLATFORM_STEP, 0, 0);
  ShowTime();
}

HideBanner(id, a, b, c)
{
  Scene.PutCharacters(0, FONT, Scene.GetString(3), CLEAR, 0, 0, 0, 0, 1.2, 1.2, 0, 0, 15, 0);
}

Finish()
{
  $state = FINISHED;
  $hero.SetMotion("Cheer");
  Sound.PlaySound("GOAL", 1, 0);
  time = $frames / 30;
  best = BestTime();
  // In the sky, above the runner cheering at the flag.
  PutCentred(0, 4, YELLOW, 60, 1.6, 15);
  PutCentred(2, Scene.GetString(9) + Math.Format1("%.2f", time), WHITE, 140, 0.9, 30);
  if (best == 0 || time < best) {
    Storage.SaveValue("Demo", "BestTime", Math.Format1("%.2f", time));
    PutCentred(3, 5, YELLOW, 190, 0.8, 45);
  }
  Storage.SaveValue("Demo", "Finished", Storage.LoadNumber("Demo", "Finished", 0) + 1);
  Scene.SetTimer(120, 3, "BackToTitle", 0, 0, 0);
}

BackToTitle(id, a, b, c)
{
  FadeOutTo(NEXT_TITLE, 20);
}

PlayLoop()
{
  // The follow starts from where the camera stands.
  $camera.SetParam(10, $camera.X);
  $camera.SetParam(11, $camera.Y);
  $camera.SetParam(12, $camera.Z);
  $camera.MoveCameraPos($hero);
  if ($state == RUNNING) {
    $frames++;
    if ($frames % 3 == 0) ShowTime();
    if ($hero.Z > GOAL_Z && $hero.Y > GOAL_Y) Finish();
  }
  // Fallen off the world, or down on the grass past the first block (in the
  // gap or off the far block): back to the start, the camera with him, so it
  // does not chase him back past the blocks.
  // Writing a coordinate moves the start of the sweep along with it, so the
  // runner does not sweep back up through the ground.
  if ($hero.Y < -2000 || ($hero.Z > FALL_Z && $hero.Y < FALL_Y)) {
    $hero.YSpeed = 0;
    $hero.X = 0;
    $hero.Y = 0;
    $hero.Z = -1350;
    $hero.ResetRotation();
    $camera.X = 0;
    $camera.Y = 520;
    $camera.Z = -2550;
  }
}

PlayKey(code, hold)
{
  // Esc gives up the run and goes back to the title.
  if (code == 1 && hold == 1 && $state == RUNNING) {
    $state = FINISHED;
    FadeOutTo(NEXT_TITLE, 15);
  }
}
