// Text dumps of keys, motions and case records for the motion tests: the
// data-driven cases compare these whole.
#pragma once

#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "motion/case_table.h"
#include "motion/motion.h"

// "ROTA 5 #00000003 0.0000 0.3827 0.0000 0.9239": kind, time, flags, then the
// payload as the kind lays it out.
std::string DumpKey(const MotionKey& key);
// One line per record of every list.
std::string DumpCaseTable(const CaseTable& table, std::span<const Motion> motions);
// Runs the commands of a track case (see cases/README) and gives their output.
std::string RunTrackScript(std::string_view script);
// Parses a markup text of <Motion> elements (test attributes: tracks, bake)
// and gives the parse result and the motions written back; *rewritten gets
// what reading that written form into the same (key-less) motions writes.
std::string ParseAndWriteMotions(const std::string& text, std::string* rewritten = nullptr);
// A key from words "KIND TIME FLAGS V...": values are floats, "#hex" words
// or the Command text of an EVNT key.
MotionKey ReadKey(std::istream& words);
// Run the commands of a model case or a class case (see cases/README) and
// give what they show.
std::string RunModelScript(const std::string& script);
std::string RunClassScript(const std::string& script);
// Motions with the given names, no tracks.
std::vector<Motion> MakeMotions(const std::vector<std::string>& names);
