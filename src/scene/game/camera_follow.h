// The camera follow: places a camera cast for one frame around a target cast.
// The script member Cast.MoveCameraPos and the game's action "MVCM" run it.
#pragma once

class Cast;
class Scene;

// Blends two poses of the camera by its weights (live parameters 3 and 4):
// pose 0 follows the target when parameter 9 is 0, pose 1 looks over the
// target's shoulder when it is 1; a pose that is not made is read from
// parameters 10-16 or 17-23. Only the camera's current position and rotation
// change; its previous ones stay.
//
// The follow keeps the camera 1000 to 1500 units from the target and 300 to
// 900 below the point above it, lets the camera's guides pull it toward fixed
// points, orbits it about the target while obstacles hide the target, masks
// off its "CollisionDetection" while it lags far behind, and, while parameter
// 24 counts down, pulls it behind the target. Its running state (orbit angle,
// distance and height speeds) is the camera's script vector. The shoulder
// view reads the aim yaw and pitch from the target's parameters 0 and 1 and
// stamps the frame in its parameter 5.
//
// Obstacles are the casts with "Obstacle" and a mesh, in table order; casts
// deleted during the frame are not obstacles.
void MoveCameraPos(Cast& camera, Cast& target, Scene& scene);
