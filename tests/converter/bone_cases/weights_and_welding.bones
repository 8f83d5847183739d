bone 0 "Scene_Root" head 0 0 0 tail 0 0 0 parent -1
bone 1 "spine" head 0 0 0 tail 0 10 0 parent 0
bone 2 "arm[]" head 0 10 0 tail 0 20 0 parent 1
bone 3 "chest" head 0 10 0 tail 0 20 0 parent 1
message nTotalWeight == 0 Mesh:1[body] Vertex: 1 (2,0,0) and 2 more vertices
skin "body" vertices 9
 v -3 0 0 n 0 -1 0 uv 0 0 w 1:0.428571 3:0.428571 2:0.142857
 v -3 0 0 n 0 0 -1 uv 0 0 w 1:0.428571 3:0.428571 2:0.142857
 v -3 0 0 n 0 0 1 uv 0 0 w 1:0.428571 3:0.428571 2:0.142857
 v 0 0 2 n 0 -1 0 uv 0 1 w
 v 0 2 0 n 0 0 -1 uv 0 1 w
 v 0 2 0 n 0 0 1 uv 0 1 w
 v 2 0 0 n 0 -1 0 uv 1 0 w
 v 2 0 0 n 0 0 -1 uv 1 0 w
 v 2 0 0 n 0 0 1 uv 1 0 w
 f 2 8 5
 f 2 8 5
 f 7 1 4
 f 0 6 3
