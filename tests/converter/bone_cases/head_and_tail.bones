bone 0 "Scene_Root" head 0 0 0 tail 0 0 0 parent -1
bone 1 "spine" head 0 0 0 tail 0 10 0 parent 0
bone 2 "chest" head 0 10 0 tail 0 20 0 parent 1
bone 3 "arm[]" head 0 20 0 tail 0 30 0 parent 4
bone 4 "arm[]" head 0 20 0 tail 0 30 0 parent 2
skin "body" vertices 3
 v 0 0 0 n 0 0 1 uv 0 0 w 1:1
 v 0 1 0 n 0 0 1 uv 0 0 w 3:1
 v 1 0 0 n 0 0 1 uv 0 0 w 2:1
 f 0 2 1
