#pragma once
// A cartoon material: its objects are drawn shaded with the material's
// program and then outlined in black: the edges between the faces turned
// towards the viewer and those turned away (see OutlineEdges.h), as thick
// lines pushed a little back in depth, so only the silhouette and creases
// show.
//
// The outlines of a whole pass are drawn together after its surfaces, between
// beginOutlinePass and endOutlinePass: one switch to fixed function and back
// a pass instead of one a material, and the depth test sorts them out against
// every surface of the pass alike.

#include "engine/Material.h"

class ToonMaterial : public Material {
 public:
  using Material::Material;
  ~ToonMaterial() override = default;

  void drawObjects(const Matrix& view) override;
  bool hasOutlines() const override { return true; }
  void drawOutlines(const Matrix& view) override;

  // Thick black unlit lines in fixed function, a little back in depth; the
  // end puts back what the scene's passes expect (OpenGL).
  static void beginOutlinePass();
  static void endOutlinePass();
};
