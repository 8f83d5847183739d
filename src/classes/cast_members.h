// The Cast members that tie a cast to others (cast_class_links.cpp), named by
// the member table in cast_class.cpp. Internal to classes/.
#pragma once

#include "classes/cast_class.h"

void CastMoveCameraPos(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastSetCameraGuide(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastJoint(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastDisjointParent(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastDisjointChild(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastGetParent(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastGetChild(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastClearIK(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastAddIKFrame(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastDelete(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastClearRail(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastAddRailCast(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastAddRailPos(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastRunOnTheRail(CastCall& call, ScriptValue& result, ScriptValue* args);
void CastDeleteEdgeStopper(CastCall& call, ScriptValue& result, ScriptValue* args);
