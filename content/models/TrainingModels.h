#pragma once
// The lessons' models, described for the model writer with their pictures:
// the ball machine and the marks on the court.

#include "content/models/WorldModels.h"

// "models/training/maquina.ASZ": the machine that feeds the lessons' balls.
ModelAsset ballMachineModel();
// "models/training/marcas.ASZ": the service box of a lesson's serve and the
// two corner targets, each a node of its own that the game shows or hides.
ModelAsset courtMarksModel();
