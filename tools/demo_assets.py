#!/usr/bin/env python3
"""Writes the demo game's generated content into demo/.

Everything the demo shows or plays is made here from numbers, so the game holds
nothing copied from elsewhere:
  models/hero.mqo       the runner: boxes skinned to a skeleton by painted colours
  models/hero.txt       its motion-object class: motions with keyed bones
  models/hero.cases     its case table: keyboard and pad to motions
  models/*.x, *.txt     the stage: ground, ramp, blocks, crates, a moving
                        platform, the goal flag, the camera's eye
  Attract.rec           the pad words the attract sequence replays
  text/font.png, font.chr   the title font and its character-set file
  ASCII16.png, toon.bmp, shadow.bmp   the renderer's system font, toon ramp, blob
  sound/*.wav, music.ogg    effects and the music loop, synthesised
Images need ImageMagick's convert and the DejaVu fonts; sounds need sox and
oggenc. Run from anywhere: python3 tools/demo_assets.py [--only-text-files]
"""
import math
import os
import subprocess
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo")


def out(path):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    return full


def write(path, text, newline="\n"):
    with open(out(path), "w", newline=newline) as f:
        f.write(text)


def num(v):
    s = ("%.6f" % v).rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


# ---------------------------------------------------------------- geometry

def box_faces(x0, x1, y0, y1, z0, z1):
    """The six faces of a box as corner lists, each wound so that the cross
    product (v1 - v0) x (v2 - v0) points out of the box: clockwise seen from
    outside in the left-handed axes the player draws with."""
    p = lambda x, y, z: (x, y, z)
    return [
        ([p(x0, y1, z0), p(x0, y1, z1), p(x1, y1, z1), p(x1, y1, z0)], (0, 1, 0)),     # top
        ([p(x0, y0, z0), p(x1, y0, z0), p(x1, y0, z1), p(x0, y0, z1)], (0, -1, 0)),    # bottom
        ([p(x0, y0, z0), p(x0, y1, z0), p(x1, y1, z0), p(x1, y0, z0)], (0, 0, -1)),    # front (-z)
        ([p(x1, y0, z1), p(x1, y1, z1), p(x0, y1, z1), p(x0, y0, z1)], (0, 0, 1)),     # back (+z)
        ([p(x0, y0, z1), p(x0, y1, z1), p(x0, y1, z0), p(x0, y0, z0)], (-1, 0, 0)),    # left (-x)
        ([p(x1, y0, z0), p(x1, y1, z0), p(x1, y1, z1), p(x1, y0, z1)], (1, 0, 0)),     # right (+x)
    ]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def check_winding(faces):
    for corners, n in faces:
        c = cross(sub(corners[1], corners[0]), sub(corners[2], corners[0]))
        assert c[0] * n[0] + c[1] * n[1] + c[2] * n[2] > 0, (corners, n)


def ramp_faces(x0, x1, z0, z1, height):
    """A wedge rising along +z from height 0 at z0 to `height` at z1."""
    h = height
    slope_n = (0, z1 - z0, -h)
    faces = [
        ([(x0, 0, z0), (x0, h, z1), (x1, h, z1), (x1, 0, z0)], slope_n),
        ([(x0, 0, z0), (x1, 0, z0), (x1, 0, z1), (x0, 0, z1)], (0, -1, 0)),
        ([(x1, 0, z1), (x1, h, z1), (x0, h, z1), (x0, 0, z1)], (0, 0, 1)),
        ([(x0, 0, z0), (x0, 0, z1), (x0, h, z1)], (-1, 0, 0)),
        ([(x1, 0, z0), (x1, h, z1), (x1, 0, z1)], (1, 0, 0)),
    ]
    return faces


def write_x(path, comment, parts):
    """A static .x model: one root frame holding one mesh (the mesh obstacles
    are tested against), flat normals, one material per part."""
    verts, faces, normals, face_normals, mats, face_mats = [], [], [], [], [], []
    for colour, part_faces in parts:
        check_winding(part_faces)
        mats.append(colour)
        for corners, n in part_faces:
            length = math.sqrt(sum(c * c for c in n))
            normals.append(tuple(c / length for c in n))
            base = len(verts)
            verts.extend(corners)
            faces.append(list(range(base, base + len(corners))))
            face_normals.append(len(normals) - 1)
            face_mats.append(len(mats) - 1)
    lines = ["xof 0303txt 0032", "// " + comment, "Frame Root {",
             " FrameTransformMatrix {", "  1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;", " }",
             " Mesh Shape {", "  %d;" % len(verts)]
    lines += ["  %s;%s;%s;%s" % (num(v[0]), num(v[1]), num(v[2]), "," if i + 1 < len(verts) else ";")
              for i, v in enumerate(verts)]
    lines.append("  %d;" % len(faces))
    lines += ["  %d;%s;%s" % (len(f), ",".join(map(str, f)), "," if i + 1 < len(faces) else ";")
              for i, f in enumerate(faces)]
    lines += ["  MeshMaterialList {", "   %d;" % len(mats), "   %d;" % len(faces),
              "   " + ",".join(map(str, face_mats)) + ";"]
    for r, g, b in mats:
        lines += ["   Material {", "    %s;%s;%s;1.0;;" % (num(r), num(g), num(b)), "    8.0;",
                  "    0.1;0.1;0.1;;", "    0.0;0.0;0.0;;", "   }"]
    lines += ["  }", "  MeshNormals {", "   %d;" % len(normals)]
    lines += ["   %s;%s;%s;%s" % (num(n[0]), num(n[1]), num(n[2]), "," if i + 1 < len(normals) else ";")
              for i, n in enumerate(normals)]
    lines.append("   %d;" % len(faces))
    lines += ["   %d;%s;%s" % (len(f), ",".join([str(face_normals[i])] * len(f)), "," if i + 1 < len(faces) else ";")
              for i, f in enumerate(faces)]
    lines += ["  }", " }", "}", ""]
    write(path, "\n".join(lines))


# ---------------------------------------------------------------- the runner

# Bones: name (material), head, tail. "[]" names a pair: the converter calls the
# one whose head is at x <= 0 ...R and the other ...L.
BONES = [
    ("hips", (0, 95, 0), (0, 115, 0), (0.9, 0.1, 0.1)),
    ("chest", (0, 115, 0), (0, 165, 0), (0.1, 0.9, 0.1)),
    ("head", (0, 165, 0), (0, 200, 0), (0.1, 0.1, 0.9)),
    ("arm[]", (-27, 160, 0), (-27, 100, 0), (0.9, 0.9, 0.1)),
    ("arm[]", (27, 160, 0), (27, 100, 0), (0.9, 0.9, 0.1)),
    ("thigh[]", (-11, 95, 0), (-11, 52, 0), (0.1, 0.9, 0.9)),
    ("thigh[]", (11, 95, 0), (11, 52, 0), (0.1, 0.9, 0.9)),
    ("shin[]", (-11, 52, 0), (-11, 6, 0), (0.9, 0.1, 0.9)),
    ("shin[]", (11, 52, 0), (11, 6, 0), (0.9, 0.1, 0.9)),
]
# Lines that join a tail to heads across a gap: the chest's tail to the
# shoulders, the hips' tail to the hip joints.
LINKS = [((0, 165, 0), (-27, 160, 0)), ((0, 165, 0), (27, 160, 0)),
         ((0, 115, 0), (-11, 95, 0)), ((0, 115, 0), (11, 95, 0))]

SKIN = (0.96, 0.76, 0.6)
SHIRT = (0.15, 0.45, 0.9)
PANTS = (0.2, 0.22, 0.35)
SHOES = (0.85, 0.25, 0.15)
HAIR = (0.3, 0.18, 0.08)

# Body parts: box (x0, x1, y0, y1, z0, z1), appearance, bone material.
PARTS = [
    ((-16, 16, 88, 118, -10, 10), PANTS, "hips"),
    ((-19, 19, 115, 165, -11, 11), SHIRT, "chest"),
    ((-12, 12, 165, 196, -12, 12), SKIN, "head"),
    ((-13, 13, 190, 200, -13, 11), HAIR, "head"),
    ((-34, -20, 102, 162, -7, 7), SHIRT, "arm[]"),
    ((20, 34, 102, 162, -7, 7), SHIRT, "arm[]"),
    ((-33, -21, 92, 103, -6, 6), SKIN, "arm[]"),
    ((21, 33, 92, 103, -6, 6), SKIN, "arm[]"),
    ((-18, -4, 52, 95, -8, 8), PANTS, "thigh[]"),
    ((4, 18, 52, 95, -8, 8), PANTS, "thigh[]"),
    ((-17, -5, 8, 53, -7, 7), PANTS, "shin[]"),
    ((5, 17, 8, 53, -7, 7), PANTS, "shin[]"),
    ((-18, -4, 0, 9, -9, 15), SHOES, "shin[]"),
    ((4, 18, 0, 9, -9, 15), SHOES, "shin[]"),
]


def colour_word(rgb):
    r, g, b = (int(round(c * 255)) for c in rgb)
    return r | g << 8 | b << 16 | 0xFF << 24


def hero_mqo():
    # Bone materials first: a painted colour then always finds its bone's
    # material, even where a clothing colour lies as near.
    bone_mats = []
    for name, _, _, col in BONES:
        if name not in [m[0] for m in bone_mats]:
            bone_mats.append((name, col))
    looks = [("skin", SKIN), ("shirt", SHIRT), ("pants", PANTS), ("shoes", SHOES), ("hair", HAIR)]
    mats = bone_mats + looks
    mat_index = {name: i for i, (name, _) in enumerate(mats)}
    look_index = {col: mat_index[name] for name, col in looks}
    bone_colour = dict(bone_mats)

    def mqo_point(p):
        # The converter negates z (the .mqo's right-handed axes to the
        # player's left-handed ones), so the model is written mirrored.
        return "%s %s %s" % (num(p[0]), num(p[1]), num(-p[2]))

    lines = ["Metasequoia Document", "Format Text Ver 1.0", "",
             "// Made by tools/demo_assets.py: the demo's runner, boxes skinned to nine bones.",
             "Material %d {" % len(mats)]
    for name, (r, g, b) in mats:
        lines.append('\t"%s" col(%s %s %s 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)' % (name, num(r), num(g), num(b)))
    lines.append("}")

    verts, faces = [], []
    for (x0, x1, y0, y1, z0, z1), look, bone in PARTS:
        for corners, _ in box_faces(x0, x1, y0, y1, z0, z1):
            ids = []
            for c in corners:
                verts.append(c)
                ids.append(len(verts) - 1)
            # The mirror of the converter flips the winding back.
            col = colour_word(bone_colour[bone])
            faces.append("\t\t4 V(%s) M(%d) COL(%s)" % (" ".join(map(str, ids)), look_index[look],
                                                         " ".join([str(col)] * 4)))
    lines += ['Object "body" {', "\tfacet 40", "\tvertex %d {" % len(verts)]
    lines += ["\t\t" + mqo_point(v) for v in verts]
    lines += ["\t}", "\tface %d {" % len(faces)] + faces + ["\t}", "}"]

    bverts, bfaces = [], []
    for name, head, tail, _ in BONES:
        third = (head[0] + 1, head[1], head[2])
        base = len(bverts)
        bverts += [head, tail, third]
        bfaces.append("\t\t3 V(%d %d %d) M(%d)" % (base, base + 1, base + 2, mat_index[name]))
    for a, b in LINKS:
        base = len(bverts)
        bverts += [a, b]
        bfaces.append("\t\t2 V(%d %d)" % (base, base + 1))
    lines += ['Object "bone" {', "\tvertex %d {" % len(bverts)]
    lines += ["\t\t" + mqo_point(v) for v in bverts]
    lines += ["\t}", "\tface %d {" % len(bfaces)] + bfaces + ["\t}", "}", "Eof", ""]
    write("models/hero.mqo", "\r\n".join(lines))


def quat_x(deg):
    a = math.radians(deg) / 2
    return (math.sin(a), 0.0, 0.0, math.cos(a))


def quat_z(deg):
    a = math.radians(deg) / 2
    return (0.0, 0.0, math.sin(a), math.cos(a))


def rot_key(t, q):
    return '   <RotationKey time="%d" x="%s" y="%s" z="%s" w="%s" />' % (t, num(q[0]), num(q[1]), num(q[2]), num(q[3]))


TRACKS = ["Scene_Root", "hips", "chest", "head", "armR", "armL", "thighR", "thighL", "shinR", "shinL"]


def motion(name, length, keys, root_keys, extra=""):
    """keys: track -> list of (time, quaternion); root_keys: element lines of the
    first track (speed, collision sphere, events)."""
    lines = [' <Motion name="%s" length="%d"%s>' % (name, length, extra)]
    for track in TRACKS:
        body = list(root_keys) if track == "Scene_Root" else [rot_key(t, q) for t, q in keys.get(track, [])]
        if not body:
            continue
        lines.append('  <MotionFrame name="%s">' % track)
        lines += body
        lines.append("  </MotionFrame>")
    lines.append(" </Motion>")
    return lines


SPHERE = '   <SphereRegionKey time="0" x="0" y="50" z="0" r="48" keyflags="#00000000" />'


def speed(z, y=0):
    return '   <VectorKey time="0" x="0" y="%s" z="%s" />' % (num(y), num(z))


def cycle(length, steps, fn):
    return [(round(i * length / steps), fn(2 * math.pi * i / steps)) for i in range(steps)]


def gait(length, leg, knee, arm, lean):
    keys = {
        "thighR": cycle(length, 8, lambda p: quat_x(-leg * math.sin(p))),
        "thighL": cycle(length, 8, lambda p: quat_x(leg * math.sin(p))),
        "shinR": cycle(length, 8, lambda p: quat_x(knee * max(0.0, math.sin(p + 1.2)))),
        "shinL": cycle(length, 8, lambda p: quat_x(knee * max(0.0, -math.sin(p + 1.2)))),
        "armR": cycle(length, 8, lambda p: quat_x(arm * math.sin(p))),
        "armL": cycle(length, 8, lambda p: quat_x(-arm * math.sin(p))),
        "chest": [(0, quat_x(lean))],
    }
    return keys


def hero_class():
    idle = {
        "chest": [(0, quat_x(0)), (30, quat_x(3))],
        "head": [(0, quat_x(0)), (30, quat_x(-4))],
        "armR": [(0, quat_z(4)), (30, quat_z(7))],
        "armL": [(0, quat_z(-4)), (30, quat_z(-7))],
    }
    jump = {
        "thighR": [(0, quat_x(-50))], "thighL": [(0, quat_x(-10))],
        "shinR": [(0, quat_x(70))], "shinL": [(0, quat_x(30))],
        "armR": [(0, quat_x(-150))], "armL": [(0, quat_x(-150))],
        "chest": [(0, quat_x(8))],
    }
    fall = {
        "thighR": [(0, quat_x(-25))], "thighL": [(0, quat_x(-5))],
        "shinR": [(0, quat_x(40))], "shinL": [(0, quat_x(20))],
        "armR": [(0, quat_z(60)), (5, quat_z(70))], "armL": [(0, quat_z(-60)), (5, quat_z(-70))],
    }
    cheer = {
        "armR": [(0, quat_x(-170)), (10, quat_x(-140))],
        "armL": [(0, quat_x(-140)), (10, quat_x(-170))],
        "head": [(0, quat_x(-15))],
    }
    lines = ["<MotionObject>",
             ' <Name value="Hero" />',
             ' <MeshFile value="hero.x" src="hero.mqo" />',
             # Visible, Active, CollisionDetection, FreeFall, ShadowRender,
             # ToonRender, EdgeRender.
             ' <Flags value="#000000fb"/>',
             ' <CaseTable file="hero.cases" Type="0"/>',
             " <Script>",
             "// The runner's own functions, named by its case table.",
             "HeroJump(cast)",
             "{",
             "  cast.YSpeed = 46;",
             "  cast.PlaySound(\"JUMP\", 1, 0);",
             "}",
             "HeroLand(cast)",
             "{",
             "  cast.PlaySound(\"LAND\", 0.7, 0);",
             "}",
             " </Script>"]
    lines += motion("Stand", 60, idle, [speed(0), SPHERE])
    lines += motion("Walk", 30, gait(30, 30, 40, 25, 4), [speed(55), SPHERE])
    lines += motion("Run", 20, gait(20, 50, 80, 45, 12), [speed(130), SPHERE])
    # In the air the speed is left alone: the jump keeps what it took off with.
    lines += motion("Jump", 12, jump, [SPHERE, '   <EventKey time="11" funcname="#SMTN,\'Fall\'" />'],
                    ' OrFlags="#00000200"')
    lines += motion("Fall", 10, fall, [SPHERE], ' OrFlags="#00000200"')
    lines += motion("Cheer", 20, cheer, [speed(0), SPHERE])
    lines.append("</MotionObject>")
    write("models/hero.txt", "\n".join(lines) + "\n")


# Control word bits of a case table.
UP, DOWN, LEFT, RIGHT, JUMP, RUN, GROUND = 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x20000
STICK = UP | DOWN | LEFT | RIGHT


def cond(on=0, off=0, any_=0):
    """A condition string of 32 characters: character k tests bit k."""
    chars = []
    for k in range(32):
        bit = 1 << k
        chars.append("1" if on & bit else "0" if off & bit else "2" if any_ & bit else "-")
    return "".join(chars)


def hero_cases():
    directions = [(UP, 0), (UP | RIGHT, 45), (RIGHT, 90), (DOWN | RIGHT, 135), (DOWN, 180),
                  (DOWN | LEFT, 225), (LEFT, 270), (UP | LEFT, 315)]
    lines = ["// The runner's case table: Z jumps, the arrows (or the stick) turn and walk",
             "// him the way they point as seen from the camera, X held runs."]

    def rec(motion_name, **pairs):
        text = motion_name
        for key in ("CURRCON", "UPCON", "DOWNCON", "STATE", "TIME", "SCRIPT", "CONTINUE"):
            if key in pairs:
                text += ",%s=%s" % (key, pairs[key])
        lines.append(text)

    for m in ("Stand", "Walk", "Run"):
        rec(m, CURRCON=cond(on=GROUND), UPCON=cond(on=JUMP), STATE="Jump", SCRIPT="HeroJump")
        for bits, angle in directions:
            rec(m, CURRCON=cond(on=bits, off=STICK & ~bits), SCRIPT='"#RSYA,%d,3"' % angle, CONTINUE=1)
        if m != "Stand":
            rec(m, CURRCON=cond(off=GROUND), STATE="Fall")
            rec(m, CURRCON=cond(off=STICK), STATE="Stand")
        if m != "Walk":
            rec(m, CURRCON=cond(off=RUN, any_=STICK), STATE="Walk")
        if m != "Run":
            rec(m, CURRCON=cond(on=RUN, any_=STICK), STATE="Run")
    rec("Fall", CURRCON=cond(on=GROUND), STATE="Stand", SCRIPT="HeroLand")
    for bits, angle in directions:
        rec("Fall", CURRCON=cond(on=bits, off=STICK & ~bits), SCRIPT='"#RSYA,%d,8"' % angle, CONTINUE=1)
    # Case tables are read line by line at carriage returns.
    write("models/hero.cases", "\n".join(lines) + "\n", newline="\r\n")


# ---------------------------------------------------------------- the stage

GRASS = (0.35, 0.62, 0.3)
STONE = (0.72, 0.66, 0.55)
WOOD = (0.62, 0.4, 0.2)
ORANGE = (0.95, 0.55, 0.1)
RED = (0.9, 0.15, 0.15)
WHITE = (0.95, 0.95, 0.95)


def static_class(path, name, mesh, flags, comment, script="", function="", glare=0):
    # The markup has no comments: the class says what it is in its name.
    lines = ["<MotionObject>", ' <Name value="%s" />' % name,
             ' <MeshFile value="%s" />' % mesh, ' <Flags value="#%08x"/>' % flags]
    if glare:
        lines.append(' <Glare value="%d"/>' % glare)
    if script:
        lines += [" <Script>", script.rstrip(), " </Script>"]
    if function:
        lines.append(" " + function)
    lines += [' <Motion name="Idle" length="1">', " </Motion>", "</MotionObject>"]
    write(path, "\n".join(lines) + "\n")


def stage():
    # The field reaches past the renderer's far plane (20000) from anywhere on
    # the course: the horizon is the plane's straight cut, not the field's corners.
    write_x("models/ground.x", "The field: 48000 square, its top at height 0.",
            [(GRASS, box_faces(-24000, 24000, -100, 0, -23500, 24500))])
    write_x("models/ramp.x", "A ramp 400 wide rising 200 over 800 along +z.",
            [(STONE, ramp_faces(-200, 200, 0, 800, 200))])
    write_x("models/block.x", "A block 600 square and 200 high, its origin at the middle of its foot.",
            [(STONE, box_faces(-300, 300, 0, 200, -300, 300))])
    write_x("models/crate.x", "A crate 160 on each side standing on its origin.",
            [(WOOD, box_faces(-80, 80, 0, 160, -80, 80)),
             (ORANGE, box_faces(-82, 82, 70, 90, -82, 82))])
    write_x("models/platform.x", "A platform 400 square and 30 thick, its top at its origin.",
            [(ORANGE, box_faces(-200, 200, -30, 0, -200, 200))])
    write_x("models/flag.x", "The goal: a pole with a flag on a white plate.",
            [(WHITE, box_faces(-60, 60, 0, 6, -60, 60)),
             (WHITE, box_faces(-4, 4, 0, 260, -4, 4)),
             (RED, box_faces(4, 110, 180, 255, -2, 2))])
    # Visible, Active and Obstacle: what the runner stands on and bumps into.
    # ToonRender and EdgeRender draw them like him.
    obstacle = 0x1 | 0x2 | 0x4 | 0x40 | 0x80
    # The field's bounding sphere holds the camera, which the view-cone test
    # cannot judge (it drops the field whenever the sphere's centre falls
    # behind the camera): NoOmitRendering draws it always.
    static_class("models/ground.txt", "Ground", "ground.x", obstacle | 0x40000, "The field everything stands on.")
    static_class("models/ramp.txt", "Ramp", "ramp.x", obstacle, "The ramp up to the first block.")
    static_class("models/block.txt", "Block", "block.x", obstacle, "The two blocks either side of the gap.")
    static_class("models/crate.txt", "Crate", "crate.x", obstacle | 0x20, "Crates in the way.")
    static_class("models/platform.txt", "Platform", "platform.x", obstacle | 0x20,
                 "The platform that carries the runner across the gap.")
    # The goal glows (the glare pass), so it shows from afar.
    static_class("models/flag.txt", "Flag", "flag.x", 0x1 | 0x2 | 0x40 | 0x80, "The goal flag (no obstacle).",
                 glare=255)
    write("models/eye.txt", "\n".join([
        "<MotionObject>",
        ' <Name value="Eye" />', ' <Motion name="Look" length="1">', " </Motion>", "</MotionObject>", ""]))


# ---------------------------------------------------------------- attract

# The attract sequence: the pad words of each frame, replayed over the scenes
# one after the other. Each scene takes the words from where the last stopped;
# a scene that ends itself also uses the word of its last frame.
# Pad words name the stick the other way round from the control word.
PAD_DOWN, PAD_LEFT, PAD_RIGHT, PAD_UP = 0x1, 0x2, 0x4, 0x8
# The title: Z at frame 75; the fade out ends the scene 21 frames later.
ATTRACT_TITLE = [(0, 0), (75, JUMP), (76, 0)]
ATTRACT_TITLE_FRAMES = 97
# The run, by the frame each word starts at: a hop on the grass, up the ramp,
# a wait at the gap for the platform, the ride across, and on to the flag.
ATTRACT_PLAY = [
    (0, 0), (45, PAD_UP), (70, PAD_UP | JUMP), (73, PAD_UP), (100, PAD_UP | RUN),
    (255, 0), (288, PAD_UP), (330, 0), (418, PAD_UP | RUN), (480, 0),
]
# From the goal: the cheer, the fade back to the title, and a look at the best time.
ATTRACT_PLAY_FRAMES = 640
ATTRACT_TITLE_AGAIN_FRAMES = 60


def expand(marks, total):
    words = []
    for i, (start, word) in enumerate(marks):
        stop = marks[i + 1][0] if i + 1 < len(marks) else total
        words += [word] * (stop - start)
    return words


def attract():
    words = expand(ATTRACT_TITLE, ATTRACT_TITLE_FRAMES) + expand(ATTRACT_PLAY, ATTRACT_PLAY_FRAMES)
    words += [0] * ATTRACT_TITLE_AGAIN_FRAMES
    with open(out("Attract.rec"), "wb") as f:
        for w in words:
            f.write(w.to_bytes(4, "little"))


# ---------------------------------------------------------------- text

FONT_CHARS = [chr(c) for c in range(32, 127) if chr(c) != '"']


def strings():
    write("text/strings.txt", "\r\n".join([
        "// The demo's texts by number (Scene.LoadStringList, Scene.GetString).",
        "0001=PRESS Z TO START",
        "0002=ARROWS: MOVE   X: RUN   Z: JUMP   ESC: QUIT",
        "0003=REACH THE FLAG!",
        "0004=GOAL!",
        "0005=NEW RECORD",
        "0006=BEST ",
        "0007=NO RECORD YET",
        "0008=DEMO PLAY",
        "0009=TIME ",
        ""]))


def run(cmd):
    subprocess.run(cmd, check=True)


def images():
    # The title font: DejaVu Sans Mono Bold in cells of 32 x 42, 16 a row,
    # small enough that no stroke reaches into the cell below.
    font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
    cell_w, cell_h, cols = 32, 42, 16
    cmd = ["convert", "-size", "512x256", "xc:none", "-font", font, "-pointsize", "36", "-fill", "white",
           "-stroke", "black", "-strokewidth", "2", "-gravity", "NorthWest"]
    chr_lines = ["// The title font: glyph cells of text/font.png.", 'IMAGE,"text/font.png"']
    for i, ch in enumerate(FONT_CHARS):
        x, y = (i % cols) * cell_w, (i // cols) * cell_h
        if ch != " ":
            cmd += ["-annotate", "+%d+%d" % (x + 4, y - 1), ch]
        # One pixel kept clear all round, against the filtering of the texture.
        chr_lines.append('CHAR,"%s",%d,%d,%d,%d,0' % (ch, x + 3, y + 1, 26, cell_h - 2))
    cmd.append("PNG32:" + out("text/font.png"))
    run(cmd)
    write("text/font.chr", "\r\n".join(chr_lines) + "\r\n")

    # The system font of the frame-rate line: 128 codes in cells of 8 x 16.
    cmd = ["convert", "-size", "128x128", "xc:none", "-font", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
           "-pointsize", "13", "-fill", "white", "-gravity", "NorthWest"]
    for code in range(33, 127):
        x, y = (code % 16) * 8, (code // 16) * 16
        cmd += ["-annotate", "+%d+%d" % (x, y - 1), chr(code)]
    cmd.append("PNG32:" + out("ASCII16.png"))
    run(cmd)
    # The toon ramp: lit, half-lit and shaded bands from left to right.
    run(["convert", "-size", "64x64", "xc:#ffffff", "-fill", "#c4c4c4", "-draw", "rectangle 26,0 45,63",
         "-fill", "#8a8a8a", "-draw", "rectangle 46,0 63,63", "BMP3:" + out("toon.bmp")])
    # The blob shadow: a soft dark spot in the middle, white (no change)
    # around it. The image spans five bounding radii of the caster, so the
    # spot is small: about the runner's feet, and hidden under a crate.
    run(["convert", "-size", "128x128", "xc:white", "-fill", "#606060", "-draw", "circle 64,64 64,73",
         "-blur", "0x3", "BMP3:" + out("shadow.bmp")])


# ---------------------------------------------------------------- sound

def sounds():
    wav = lambda name: out("sound/%s.wav" % name)
    common = ["-r", "22050", "-c", "1", "-b", "16"]
    run(["sox", "-n"] + common + [wav("jump"), "synth", "0.18", "sine", "300-900", "fade", "0", "0.18", "0.06",
                                  "vol", "0.5"])
    run(["sox", "-n"] + common + [wav("land"), "synth", "0.08", "brownnoise", "fade", "0", "0.08", "0.05",
                                  "vol", "0.6"])
    run(["sox", "-n"] + common + [wav("start"), "synth", "0.1", "square", "880", ":", "synth", "0.2", "square",
                                  "1320", "fade", "0", "0.2", "0.1", "vol", "0.25"])
    run(["sox", "-n"] + common + [wav("goal"), "synth", "0.12", "triangle", "523", ":", "synth", "0.12",
                                  "triangle", "659", ":", "synth", "0.12", "triangle", "784", ":", "synth", "0.4",
                                  "triangle", "1047", "fade", "0", "0.4", "0.3", "vol", "0.5"])
    # The music: eight bars of a bass line under a plucked arpeggio, looped.
    tmp = out("sound/music.tmp.wav")
    notes = [(110, 220, 277, 330), (98, 196, 247, 294), (87, 175, 220, 262), (98, 196, 247, 294)]
    parts = []
    for i, (bass, a, b, c) in enumerate(notes * 2):
        part = out("sound/part%d.tmp.wav" % i)
        run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", part, "synth", "1.0", "pluck", str(a), "pluck",
             str(b), "pluck", str(c), "sine", str(bass), "remix", "-", "vol", "0.3"])
        parts.append(part)
    run(["sox"] + parts + [tmp])
    run(["oggenc", "-Q", "-q", "0", "-o", out("sound/music.ogg"), tmp])
    for p in parts + [tmp]:
        os.remove(p)


def main():
    hero_mqo()
    hero_class()
    hero_cases()
    stage()
    attract()
    strings()
    if "--only-text-files" not in sys.argv:
        images()
        sounds()


if __name__ == "__main__":
    main()
