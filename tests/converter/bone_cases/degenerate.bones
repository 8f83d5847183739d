bone 0 "Scene_Root" head 0 0 0 tail 0 0 0 parent -1
bone 1 "a" head 0 0 0 tail 0 10 0 parent 3
bone 2 "b" head 0 10 0 tail 0 0 0 parent 3
bone 3 "b" head 0 0 0 tail 0 0 0 parent 0
skin "body" vertices 2
 v 0 0 0 n 0 0 0 uv 0 0 w 1:1
 v 1 0 0 n 0 0 0 uv 0 0 w 2:1
 f 0 0 1
 f 0 0 0
