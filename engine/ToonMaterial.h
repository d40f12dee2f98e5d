#pragma once
// A cartoon material: its objects are drawn shaded with the material's
// program and then outlined in black: the edges between the faces turned
// towards the viewer and those turned away (see OutlineEdges.h), as thick
// lines pushed a little back in depth, so only the silhouette and creases
// show.

#include "engine/Material.h"

class ToonMaterial : public Material {
 public:
  using Material::Material;
  ~ToonMaterial() override = default;

  void drawObjects(const Matrix& view) override;
};
