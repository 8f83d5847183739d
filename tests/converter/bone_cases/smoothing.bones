bone 0 "Scene_Root" head 0 0 0 tail 0 0 0 parent -1
bone 1 "root" head 0 0 0 tail 0 10 0 parent 0
skin "body" vertices 7
 v 0 -1 0.5 n 0 0.447214 0.894427 uv 0 0 w 1:1
 v 0 0 0 n 0 0 -1 uv 0 0 w 1:1
 v 0 0 0 n 0 0.229753 0.973249 uv 0 0 w 1:1
 v 0 1 0 n 0 0 1 uv 0 0 w 1:1
 v 0.05 1.05 0 n 0 0 -1 uv 0 0 w 1:1
 v 1 0 0 n 0 0 -1 uv 0 0 w 1:1
 v 1 0 0 n 0 0.229753 0.973249 uv 0 0 w 1:1
 f 2 6 3
 f 6 2 0
 f 4 5 1
