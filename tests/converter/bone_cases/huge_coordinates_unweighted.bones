bone 0 "Scene_Root" head 0 0 0 tail 0 0 0 parent -1
bone 1 "spine" head 0 0 0 tail 0 10 0 parent 0
message nTotalWeight == 0 Mesh:1[body] Vertex: 0 (2147483647,-2147483648,0) and 2 more vertices
skin "body" vertices 3
 v 0 1 0 n 0 0 0 uv 0 0 w
 v 1 0 0 n 0 0 0 uv 0 0 w
 v 1e+30 -1e+30 0 n 0 0 0 uv 0 0 w
 f 2 0 1
