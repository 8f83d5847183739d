// The converter's working model as text, every field the reader fills, for the
// data-driven cases of the converter tests.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

#include "converter/mqo_model.h"

inline std::string DumpNumber(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

// Each value after a blank.
template <typename Values>
std::string DumpNumbers(const Values& values) {
  std::string out;
  for (float value : values) out += " " + DumpNumber(value);
  return out;
}
inline std::string DumpNumbers(std::initializer_list<float> values) { return DumpNumbers<>(values); }

inline std::string DumpModel(const XConverter& model) {
  std::string out;
  for (const MqoMaterial& m : model.materials) {
    out += "material \"" + std::string(m.name) + "\" col" + DumpNumbers({m.red, m.green, m.blue, m.alpha}) + " power" +
           DumpNumbers({m.power}) + " spc" + DumpNumbers(m.specular) + " emi" + DumpNumbers(m.emissive) + " tex \"" +
           m.texture + "\"\n";
  }
  for (const MqoObject& o : model.objects) {
    out += "object \"" + std::string(o.name) + "\" visible " + (o.visible ? "1" : "0") + " facet" +
           DumpNumbers({o.facet}) + " vertices " + std::to_string(o.vertices.size()) + " faces " +
           std::to_string(o.faces.size()) + "\n";
    for (const MqoVertex& v : o.vertices)
      out += " v" + DumpNumbers({v.x, v.y, v.z}) + " uv" + DumpNumbers({v.u, v.v}) + "\n";
    for (const MqoFace& f : o.faces) {
      std::string vertices, uv, colours;
      for (int c = 0; c < f.cornerCount; ++c) {
        vertices += " " + std::to_string(f.vertices[c]);
        uv += DumpNumbers({f.u[c], f.v[c]});
        colours += f.hasColour[c] ? " " + std::to_string(f.colours[c]) : " -";
      }
      out += " f " + std::to_string(f.cornerCount) + " V" + vertices + " M " + std::to_string(f.material) + " UV" + uv +
             " COL" + colours + "\n";
    }
  }
  return out;
}
