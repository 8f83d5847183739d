// The converter's working model as text, every field the reader fills, for the
// data-driven cases of the converter tests.
#pragma once

#include <cstdio>
#include <string>

#include "converter/mqo_model.h"

inline std::string DumpNumber(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

inline std::string DumpModel(const XConverter& model) {
  std::string out;
  auto number = [&out](float value) { out += " " + DumpNumber(value); };
  for (const MqoMaterial& m : model.materials) {
    out += "material \"" + std::string(m.name) + "\" col";
    for (float value : {m.red, m.green, m.blue, m.alpha}) number(value);
    out += " power";
    number(m.power);
    out += " spc";
    for (float value : m.specular) number(value);
    out += " emi";
    for (float value : m.emissive) number(value);
    out += " tex \"" + std::string(m.texture) + "\"\n";
  }
  for (const MqoObject& o : model.objects) {
    out += "object \"" + std::string(o.name) + "\" visible " + (o.visible ? "1" : "0") + " facet";
    number(o.facet);
    out += " vertices " + std::to_string(o.vertices.size()) + " faces " + std::to_string(o.faces.size()) + "\n";
    for (const MqoVertex& v : o.vertices) {
      out += " v";
      for (float value : {v.x, v.y, v.z}) number(value);
      out += " uv";
      number(v.u);
      number(v.v);
      out += "\n";
    }
    for (const MqoFace& f : o.faces) {
      out += " f " + std::to_string(f.cornerCount) + " V";
      for (int c = 0; c < f.cornerCount; ++c) out += " " + std::to_string(f.vertices[c]);
      out += " M " + std::to_string(f.material) + " UV";
      for (int c = 0; c < f.cornerCount; ++c) {
        number(f.u[c]);
        number(f.v[c]);
      }
      out += " COL";
      for (int c = 0; c < f.cornerCount; ++c) out += f.hasColour[c] ? " " + std::to_string(f.colours[c]) : " -";
      out += "\n";
    }
  }
  return out;
}
